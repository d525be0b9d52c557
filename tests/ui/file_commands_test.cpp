// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include "app_model.h"
#include "chart/acquisition.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "link/units.h"
#include "psi_run.h"
#include "ui/files/file_commands.h"

namespace pv::ui {
namespace {

// A run of three psi samples.
void FillRun(AppModel& m) {
  pv::test::FillPsiSamples(m, 3);
  m.run.startText = "10:00:00";
  m.run.endText = "10:00:02";
}

struct Fixture {
  QTemporaryDir dir;
  AppModel model;
  QWidget window;
  RunFileCommands files{model, &window};
  QString chosen;
  std::vector<FileDialogRequest> requests;
  std::vector<QString> failures;
  Fixture() {
    FillRun(model);
    files.chooseFile = [this](const FileDialogRequest& r, std::string&) {
      requests.push_back(r);
      return chosen;
    };
    files.reportFailure = [this](const QString& m) { failures.push_back(m); };
  }
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST(FileCommands, SaveWritesTheDataFileAndItsTextTableBesideIt) {
  Fixture f;
  f.chosen = f.path("run.KvtDat");
  f.files.saveRun();
  ASSERT_EQ(f.requests.size(), 1u);
  EXPECT_EQ(f.requests[0].filter, QStringLiteral("DataLogger Files (*.KvtDat)"));
  EXPECT_EQ(f.requests[0].extension, QStringLiteral(".KvtDat"));
  EXPECT_TRUE(f.failures.empty());
  EXPECT_TRUE(QFile::exists(f.path("run.KvtDat")));
  EXPECT_TRUE(QFile::exists(f.path("run.txt")));
  // 4 + texts (1 + 9 + 9 + 4) + 16 + 15 per sample
  EXPECT_EQ(QFile(f.path("run.KvtDat")).size(), 4 + 23 + 16 + 45);
}

TEST(FileCommands, ARecoveredRunIsSuggestedNamesDatedFromItsStart) {
  // Recovered the day after: the names carry the day the run was taken.
  const std::time_t start = std::time(nullptr) - 86400 - 3600;
  Fixture f;
  SampleStore store = f.model.store;
  RestoreRun(f.model, JournalHeader{start, 5000}, std::move(store), 3, NullObserver());
  f.files.saveRun();
  f.files.exportExcel();
  ASSERT_EQ(f.requests.size(), 2u);
  EXPECT_EQ(f.requests[0].defaultName.toStdString(), DefaultSaveName(start, "5"));
  EXPECT_EQ(f.requests[1].defaultName.toStdString(), DefaultExportName(start));
}

TEST(FileCommands, CancelledDialogsWriteNothing) {
  Fixture f;
  f.files.saveRun();
  f.files.exportExcel();
  f.files.documentOpen();
  EXPECT_EQ(f.requests.size(), 3u);
  EXPECT_TRUE(QDir(f.dir.path()).entryList(QDir::Files).isEmpty());
  EXPECT_TRUE(f.failures.empty());
}

TEST(FileCommands, AFailedSaveIsToldAndLeavesTheOldFileAndTheRun) {
  Fixture f;
  // An existing file in place, and a target whose folder vanished.
  {
    QFile old(f.path("old.KvtDat"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("precious");
  }
  f.chosen = f.path("missing-folder/run.KvtDat");
  f.files.saveRun();
  ASSERT_EQ(f.failures.size(), 1u);
  EXPECT_TRUE(f.failures[0].contains(QStringLiteral("missing-folder"))) << f.failures[0].toStdString();
  EXPECT_EQ(f.model.store.sampleCount, 3);

  // A name that is taken by a folder is refused, not replaced.
  ASSERT_TRUE(QDir(f.dir.path()).mkdir(QStringLiteral("taken.xls")));
  f.chosen = f.path("taken.xls");
  f.files.exportExcel();
  EXPECT_EQ(f.failures.size(), 2u);
  EXPECT_TRUE(QFileInfo(f.path("taken.xls")).isDir());
  QFile old(f.path("old.KvtDat"));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("precious"));
}

TEST(FileCommands, ExportWritesTheSpreadsheetAndDocumentOpenLoadsTheLogger) {
  Fixture f;
  f.chosen = f.path("sheet.xls");
  f.files.exportExcel();
  EXPECT_EQ(f.requests.back().filter,
            QStringLiteral("Data File(*.xls);;Excel Workbook (*.xlsx);;CSV (*.csv)"));
  QFile sheet(f.path("sheet.xls"));
  ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
  EXPECT_TRUE(sheet.readAll().startsWith("NO\tDATA\tUNIT\tTIME\t\r\n"));

  f.chosen = f.path("doc.KvtDat");
  f.files.saveRun();
  bool loaded = false;
  f.files.loggerLoaded = [&] { loaded = true; };
  f.files.documentOpen();
  EXPECT_TRUE(loaded);
  EXPECT_EQ(f.model.logger.recordCount, 3);
  EXPECT_EQ(f.model.logger.values[2], 3.5f);

  // A damaged file is refused with a message and leaves the loaded records alone.
  QFile bad(f.path("bad.bin"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("\xff\xff\xff\x7f", 4);
  bad.close();
  f.chosen = f.path("bad.bin");
  f.files.documentOpen();
  EXPECT_EQ(f.failures.size(), 1u);
  EXPECT_EQ(f.model.logger.recordCount, 3);
}

// The file a run was saved to names that run only: a record printed after another run
// started must not carry the old file's name.
TEST(FileCommands, TheSavedFileNamesTheRunOnShowOnly) {
  struct Case {
    const char* name;
    int startedLater, samplesSince;
    bool named;
  };
  const Case cases[] = {{"the run saved", 0, 0, true},
                        {"a new run started", 60, 0, false},
                        {"more samples taken", 0, 4, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.model.run.startTime = 1'800'000'000;
    f.chosen = f.path("tank.KvtDat");
    ASSERT_TRUE(f.files.saveRun());
    f.model.run.startTime += c.startedLater;
    if (c.samplesSince > 0) pv::test::FillPsiSamples(f.model, c.samplesSince);
    EXPECT_EQ(f.files.savedPath(), c.named ? f.chosen.toStdString() : "");
  }
}

}  // namespace
}  // namespace pv::ui
