// SPDX-License-Identifier: GPL-3.0-or-later
// Save, Export Excel and the document commands through the real file dialog: the name
// the user accepts, the files that are written, and the folder each dialog starts in.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app_model.h"
#include "dialog_script.h"
#include "link/units.h"
#include "platform/config_file.h"
#include "psi_run.h"
#include "ui/app/meter_app.h"
#include "ui/files/file_commands.h"
#include "ui/window/main_window.h"

namespace pv::ui {
namespace {

using test::DialogScript;
using test::FileNameEdit;
using test::VisibleTopLevel;

void FillRun(AppModel& m) {
  pv::test::FillPsiSamples(m, 3);
  m.statsBar.interval = "1";
}

// What the user saw in the file dialog before answering it.
struct Seen {
  QString folder;     // the folder the dialog started in
  QString suggested;  // the name offered
};

// Waits for the file dialog, notes where it started, chooses the filter (when given),
// types name over the offered one (keeps the offered one when name is empty) and
// presses Return.
DialogScript::Step AcceptFileDialog(Seen& seen, QString name = {}, QString filter = {}) {
  return [&seen, name, filter] {
    auto* dialog = VisibleTopLevel<QFileDialog>();
    QLineEdit* edit = FileNameEdit(dialog);
    if (!edit) return false;
    seen.folder = dialog->directory().absolutePath();
    seen.suggested = edit->text();
    if (!filter.isEmpty()) dialog->selectNameFilter(filter);
    if (!name.isEmpty()) edit->setText(name);
    test::PressLater(edit, Qt::Key_Return);
    return true;
  };
}

DialogScript::Step CancelFileDialog(Seen& seen) {
  return [&seen] {
    auto* dialog = VisibleTopLevel<QFileDialog>();
    if (!dialog) return false;
    seen.folder = dialog->directory().absolutePath();
    dialog->reject();
    return true;
  };
}

// The names of the files in folder, sorted, as "a | b".
std::string FilesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files, QDir::Name).join(QStringLiteral(" | ")).toStdString();
}

struct Commands {
  QTemporaryDir dir;
  AppModel model;
  QWidget window;
  RunFileCommands files{model, &window};
  std::vector<QString> failures;
  Commands() {
    FillRun(model);
    files.reportFailure = [this](const QString& m) { failures.push_back(m); };
  }
};

TEST(FileDialogs, AcceptedNamesGetTheirExtensionWhateverDotsTheyHold) {
  struct Case {
    bool save;          // Save, else Export Excel
    const char* typed;  // nullptr: the offered name, accepted with Return
    QStringList written;
    const char* filter = nullptr;  // Export's filter; the first when nullptr
  };
  const Case cases[] = {
      {true, nullptr, {}},  // "yy-mm-dd hh.mm.ss. 1Sec": .KvtDat and .txt, checked below
      {true, "run", {"run.KvtDat", "run.txt"}},
      {true, "run.kvtdat", {"run.kvtdat", "run.txt"}},
      {true, "tank 2.5 bar", {"tank 2.5 bar.KvtDat", "tank 2.5 bar.txt"}},
      {false, "run.2025", {"run.2025.xls"}},
      {false, "sheet.XLS", {"sheet.XLS"}},
      {false, "run", {"run.xlsx"}, "Excel Workbook (*.xlsx)"},
      {false, "run.2025", {"run.2025.csv"}, "CSV (*.csv)"},
      {false, "run.xlsx", {"run.xlsx"}, "Data File(*.xls)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : "offered name");
    Commands f;
    f.model.folders.dataFiles = f.model.folders.spreadsheets = f.dir.path().toStdString();
    Seen seen;
    DialogScript script({AcceptFileDialog(seen, c.typed ? QString::fromUtf8(c.typed) : QString(),
                                          QString::fromUtf8(c.filter))});
    if (c.save) f.files.saveRun();
    else f.files.exportExcel();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(f.failures.empty());
    QStringList expected = c.written;
    if (!c.typed) {
      EXPECT_TRUE(seen.suggested.endsWith(QStringLiteral(". 1Sec"))) << seen.suggested.toStdString();
      expected = {seen.suggested + QStringLiteral(".KvtDat"), seen.suggested + QStringLiteral(".txt")};
    }
    EXPECT_EQ(FilesIn(f.dir.path()), expected.join(QStringLiteral(" | ")).toStdString());
  }
}

TEST(FileDialogs, ExportWritesTheFormatOfTheFilterChosenForTheOfferedName) {
  struct Case {
    QString filter;
    QString extension;
    QByteArray starts;
  };
  const Case cases[] = {
      {QStringLiteral("Data File(*.xls)"), QStringLiteral(".xls"), "NO\tDATA\tUNIT\tTIME\t\r\n"},
      {QStringLiteral("Excel Workbook (*.xlsx)"), QStringLiteral(".xlsx"), "PK\x03\x04"},
      {QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"), "NO,TIME,VALUE,UNIT,DATA\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter.toStdString());
    Commands f;
    f.model.folders.spreadsheets = f.dir.path().toStdString();
    Seen seen;
    DialogScript script({AcceptFileDialog(seen, {}, c.filter)});
    f.files.exportExcel();
    ASSERT_TRUE(script.finished());
    EXPECT_TRUE(f.failures.empty());
    const QStringList written = QDir(f.dir.path()).entryList(QDir::Files);
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(seen.suggested.endsWith(QStringLiteral(".xls"))) << seen.suggested.toStdString();
    EXPECT_EQ(written[0], seen.suggested.chopped(4) + c.extension);
    QFile file(f.dir.filePath(written[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(c.starts));
  }
}

TEST(FileDialogs, ReplacingIsAskedAboutTheFileThatWouldBeWritten) {
  Commands f;
  f.model.folders.dataFiles = f.dir.path().toStdString();
  {
    QFile old(f.dir.filePath(QStringLiteral("tank.1.KvtDat")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("precious");
  }
  Seen seen;
  QString question;
  DialogScript script({AcceptFileDialog(seen, QStringLiteral("tank.1")),
                       [&] {
                         auto* box = VisibleTopLevel<QMessageBox>();
                         if (!box) return false;
                         question = box->text();
                         box->button(QMessageBox::No)->click();
                         return true;
                       },
                       CancelFileDialog(seen)});
  f.files.saveRun();
  ASSERT_TRUE(script.finished());
  EXPECT_TRUE(question.contains(QStringLiteral("tank.1.KvtDat"))) << question.toStdString();
  EXPECT_EQ(FilesIn(f.dir.path()), "tank.1.KvtDat");
  QFile old(f.dir.filePath(QStringLiteral("tank.1.KvtDat")));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("precious"));
}

TEST(FileDialogs, EachKindOfFileStartsInTheFolderLastUsedForIt) {
  Commands f;
  QTemporaryDir elsewhere, working;
  // As a desktop menu starts the program in "/" or the home folder; set back however
  // the test ends.
  struct WorkingFolder {
    QString before = QDir::currentPath();
    explicit WorkingFolder(const QString& path) { QDir::setCurrent(path); }
    ~WorkingFolder() { QDir::setCurrent(before); }
  } workingFolder(working.path());
  const QString home = StartFolder({});
  Seen save, open, exportSheet, gone;
  {
    // Nothing remembered: not the working folder.
    DialogScript script({AcceptFileDialog(save, f.dir.filePath(QStringLiteral("run")))});
    f.files.saveRun();
    ASSERT_TRUE(script.finished());
  }
  EXPECT_EQ(save.folder.toStdString(), home.toStdString());
  EXPECT_NE(save.folder.toStdString(), working.path().toStdString());
  EXPECT_EQ(f.model.folders.dataFiles, f.dir.path().toStdString());
  {
    // The data-file commands share the folder; Export keeps its own.
    DialogScript script({CancelFileDialog(open), CancelFileDialog(exportSheet)});
    f.files.documentOpen();
    f.files.exportExcel();
    ASSERT_TRUE(script.finished());
  }
  EXPECT_EQ(open.folder.toStdString(), f.dir.path().toStdString());
  EXPECT_EQ(exportSheet.folder.toStdString(), home.toStdString());
  {
    // A remembered folder that is gone gives way to the home folder.
    f.model.folders.spreadsheets = elsewhere.filePath(QStringLiteral("removed")).toStdString();
    DialogScript script({CancelFileDialog(gone)});
    f.files.exportExcel();
    ASSERT_TRUE(script.finished());
  }
  EXPECT_EQ(gone.folder.toStdString(), home.toStdString());
}

TEST(FileDialogs, TheProgramKeepsTheFolderInItsConfigurationFile) {
  QTemporaryDir dir;
  const QString first = dir.filePath(QStringLiteral("first")),
                second = dir.filePath(QStringLiteral("second"));
  ASSERT_TRUE(QDir().mkpath(first) && QDir().mkpath(second));
  const std::string config = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
  {
    QFile f(QString::fromStdString(config));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("[COMInfo]\r\nCOM num=3\r\n[Ports]\r\nCOM3=/dev/meter\r\n[Folders]\r\nDataLogger=" +
             first.toStdString() + "\r\n")
                .c_str());
  }
  StartOptions options;
  options.configPath = config;
  options.stateFolder = dir.filePath(QStringLiteral("state")).toStdString();
  options.showWindow = false;
  Seen seen;
  {
    MeterApp app(options);
    ASSERT_TRUE(app.start());
    FillRun(app.model());
    DialogScript script({AcceptFileDialog(seen, second + QStringLiteral("/run"))});
    app.mainWindow()->updateCommandStates();
    app.mainWindow()->runCommand(WindowCommand::SaveRun);
    ASSERT_TRUE(script.finished());
  }
  EXPECT_EQ(seen.folder.toStdString(), first.toStdString());
  EXPECT_TRUE(QFile::exists(second + QStringLiteral("/run.KvtDat")));
  EXPECT_EQ(ReadFileFolders(config).dataFiles, second.toStdString());
  EXPECT_EQ(ReadComPort(config), 3);
  EXPECT_EQ(ReadPortPaths(config).at(3), "/dev/meter");

  MeterApp again(options);
  ASSERT_TRUE(again.start());
  EXPECT_EQ(again.model().folders.dataFiles, second.toStdString());
}

}  // namespace
}  // namespace pv::ui
