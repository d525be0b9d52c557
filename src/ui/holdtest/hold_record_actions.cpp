// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/hold_record_actions.h"

#include <QMessageBox>
#include <QPrinter>

#include "files/atomic_save.h"
#include "files/read_file.h"
#include "holdtest/hold_page.h"
#include "holdtest/hold_sidecar.h"
#include "ui/holdtest/hold_record_dialog.h"
#include "ui/print/hold_record_pdf.h"

namespace pv::ui {

HoldTestFile HoldTestOf(const HoldCriteria& criteria, const HoldRecord& record, const HoldResult& result) {
  HoldTestFile test;
  test.criteria = criteria;
  test.record = record;
  test.result = result;
  return test;
}

bool EditHoldRecord(QWidget* parent, const std::string& configPath, HoldRecord* record) {
  std::string notKept;
  const std::optional<HoldRecord> entered = AskHoldRecord(parent, configPath, &notKept);
  if (!entered) return false;
  *record = *entered;
  // The record goes with the test all the same; only next time's offer is lost.
  if (!notKept.empty())
    QMessageBox::warning(
        parent, QStringLiteral("Hold Test"),
        QStringLiteral("The record was not kept for next time.\n%1").arg(QString::fromStdString(notKept)));
  return true;
}

std::string HoldRecordPdfPathFor(const std::string& dataPath) {
  return RunFileStem(dataPath) + ".record.pdf";
}

void PrintHoldTest(QWidget* parent, const std::optional<HoldTestFile>& test, const SampleRows& rows,
                   const std::string& runPath) {
  PrintHoldTest(parent, test, rows, runPath, ShowPrintDialog);
}

void PrintHoldTest(QWidget* parent, const std::optional<HoldTestFile>& test, const SampleRows& rows,
                   const std::string& runPath, const AskWhereToPrint& ask) {
  if (!test) {
    QMessageBox::information(parent, QStringLiteral("Hold Test"),
                             QStringLiteral("There is no hold test result to print yet."));
    return;
  }
  // The dialog's print to file starts from a name beside the run rather than the
  // document's title in the home folder.
  const QString pdf = runPath.empty() ? QString() : QString::fromStdString(HoldRecordPdfPathFor(runPath));
  const AskWhereToPrint offering = [&](QPrinter& printer, QWidget* dialogParent) {
    if (!pdf.isEmpty()) printer.setOutputFileName(pdf);
    return ask(printer, dialogParent);
  };
  const std::string runName = runPath.substr(runPath.find_last_of('/') + 1);
  // A test that is the record kept beside the run prints with that record's revision and
  // fingerprint, so the paper can be checked against the file.
  HoldTestFile printed = *test;
  if (!runPath.empty()) {
    if (auto bytes = ReadWholeFile(runPath)) {
      const SidecarRead kept = ReadHoldTestBeside(runPath, bytes.value());
      if (kept.test) TakeWrittenIdentity(printed, *kept.test);
    }
  }
  QString error;
  if (PrintHoldRecord(HoldPageInput{printed, rows, runName}, parent, offering, std::time(nullptr), &error) ==
      PrintOutcome::kFailed)
    QMessageBox::warning(parent, QStringLiteral("Print"), error);
}

}  // namespace pv::ui
