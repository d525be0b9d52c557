// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The panel's Record… and Print record… buttons, the same in both windows: the record
// dialog with the values kept from last time, and the one-page record printed or
// written to PDF.
#include <optional>
#include <string>

#include "files/sample_rows.h"
#include "holdtest/hold_record.h"

class QWidget;

namespace pv::ui {

// Asks for the record's fields, offering those kept last; *record takes them on OK.
void EditHoldRecord(QWidget* parent, const std::string& configPath, HoldRecord* record);

// Prints the test's record page (or writes it as PDF through the print dialog); says so
// when there is no result to print.
void PrintHoldTest(QWidget* parent, const std::optional<HoldTestFile>& test, const SampleRows& rows,
                   const std::string& runName);

}  // namespace pv::ui
