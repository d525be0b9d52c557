// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/hold_record_pdf.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "hold_record_fixture.h"

namespace pv::ui {
namespace {

constexpr std::time_t kNow = 1796823000;

std::optional<QString> PdfText(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (tool.isEmpty()) return std::nullopt;
  QProcess p;
  p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return std::nullopt;
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The record's pages written directly and through the print dialog's "print to file": all
// of them, numbered, at the name, with the typed texts as the pages show them (a direction
// override cannot turn a name round), or a failure that names the file and leaves what was there.
TEST(HoldRecordPdf, WritesTheRecordPageOrSaysWhyNot) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "no pdftotext";
  std::string notes;
  for (int k = 1; k <= 160; ++k) notes += "paragraph" + std::to_string(k) + "\n";
  auto test = testing::HoldTest(false, {"dropped 0.80 % (allowed 0.50 %)"}, 4, notes);
  test.record.testId = "T-17\u202egnp.exe";
  const auto rows = testing::Falling(130, 50.0, 0.004);
  const HoldPageInput input{test, rows, "tank.KvtDat"};
  const auto pages = static_cast<qsizetype>(BuildHoldRecordPages(input, kNow).size());
  struct Case {
    const char* name;
    const char* file;
    bool throughDialog;
    bool answer;  // the dialog's
    PrintOutcome outcome;
  };
  const std::vector<Case> cases{
      {"written directly", "record.pdf", false, true, PrintOutcome::kPrinted},
      {"a missing folder", "missing/record.pdf", false, true, PrintOutcome::kFailed},
      {"the name is a folder", "folder", false, true, PrintOutcome::kFailed},
      {"printed to a file", "printed.pdf", true, true, PrintOutcome::kPrinted},
      {"the dialog cancelled", "cancelled.pdf", true, false, PrintOutcome::kCancelled},
  };
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  for (const Case& c : cases) {
    const QString path = dir.filePath(QString::fromLatin1(c.file));
    QString error;
    PrintOutcome outcome;
    if (c.throughDialog) {
      auto ask = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return c.answer;
      };
      outcome = PrintHoldRecord(input, nullptr, ask, kNow, &error);
    } else {
      outcome =
          WriteHoldRecordPdf(path, input, kNow, &error) ? PrintOutcome::kPrinted : PrintOutcome::kFailed;
    }
    EXPECT_EQ(outcome, c.outcome) << c.name << ": " << error.toStdString();
    if (c.outcome == PrintOutcome::kFailed) {
      EXPECT_TRUE(error.contains(path)) << c.name << ": " << error.toStdString();
    }
    if (c.outcome != PrintOutcome::kPrinted) {
      EXPECT_FALSE(QFileInfo(path).isFile()) << c.name;
      continue;
    }
    const auto text = PdfText(path);
    ASSERT_TRUE(text) << c.name;
    for (const char* expected :
         {"Pressure Test Record", "NOT PASSED", "dropped 0.80 % (allowed 0.50 %)", "T-17\\u202egnp.exe",
          "Riser 3, north wing", "-0.4 mbar (-0.80 %)", "Witness's signature", "2026-12-09 (UTC+01:00)",
          "paragraph1\n", "paragraph160"})
      EXPECT_TRUE(text->contains(QString::fromUtf8(expected))) << c.name << ": " << expected;
    EXPECT_TRUE(pages > 1 && text->contains(QStringLiteral("Page %1 of %1").arg(pages))) << c.name;
    EXPECT_EQ(text->count(QChar('\f')), pages) << c.name;
    EXPECT_FALSE(text->contains(QChar(0x202E))) << c.name;
  }
}

}  // namespace
}  // namespace pv::ui
