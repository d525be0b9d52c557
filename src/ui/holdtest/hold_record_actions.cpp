// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/hold_record_actions.h"

#include <QMessageBox>

#include "holdtest/hold_page.h"
#include "ui/holdtest/hold_record_dialog.h"
#include "ui/print/hold_record_pdf.h"

namespace pv::ui {

void EditHoldRecord(QWidget* parent, const std::string& configPath, HoldRecord* record) {
  std::string notKept;
  const std::optional<HoldRecord> entered = AskHoldRecord(parent, configPath, &notKept);
  if (!entered) return;
  *record = *entered;
  // The record goes with the test all the same; only next time's offer is lost.
  if (!notKept.empty())
    QMessageBox::warning(
        parent, QStringLiteral("Hold Test"),
        QStringLiteral("The record was not kept for next time.\n%1").arg(QString::fromStdString(notKept)));
}

void PrintHoldTest(QWidget* parent, const std::optional<HoldTestFile>& test, const SampleRows& rows,
                   const std::string& runName) {
  if (!test) {
    QMessageBox::information(parent, QStringLiteral("Hold Test"),
                             QStringLiteral("There is no hold test result to print yet."));
    return;
  }
  PrintHoldRecord(HoldPageInput{*test, rows, runName}, parent);
}

}  // namespace pv::ui
