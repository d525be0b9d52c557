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

// The record page written directly and through the print dialog's "print to file": one
// complete page at the name, or a failure that names the file and leaves what was there.
TEST(HoldRecordPdf, WritesTheRecordPageOrSaysWhyNot) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "no pdftotext";
  const auto test = testing::HoldTest(false, {"dropped 0.62 % (allowed 0.50 %)"}, 4, "Flanges checked.");
  const auto rows = testing::Falling(130, 100, 0.0062);
  const HoldPageInput input{test, rows, "tank.KvtDat"};
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
         {"Pressure Test Record", "NOT PASSED", "dropped 0.62 % (allowed 0.50 %)", "HT-0042",
          "Riser 3, north wing", "-0.620 psi (-0.62 %)", "Witness's signature"})
      EXPECT_TRUE(text->contains(QString::fromUtf8(expected))) << c.name << ": " << expected;
    EXPECT_EQ(text->count(QChar('\f')), 1) << c.name << ": one page";
  }
}

}  // namespace
}  // namespace pv::ui
