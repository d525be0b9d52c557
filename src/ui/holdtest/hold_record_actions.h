// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The panel's Record… and Print record… buttons, the same in both windows: the record
// dialog with the values kept from last time, and the record's pages printed or
// written to PDF.
#include <optional>
#include <string>

#include "files/sample_rows.h"
#include "holdtest/hold_record.h"
#include "ui/print/print_command.h"

class QWidget;

namespace pv::ui {

// A test as a record keeps it, before it is written anywhere.
HoldTestFile HoldTestOf(const HoldCriteria& criteria, const HoldRecord& record, const HoldResult& result);

// Asks for the record's fields, offering those kept last; *record takes them on OK.
// Returns whether the user gave a record.
bool EditHoldRecord(QWidget* parent, const std::string& configPath, HoldRecord* record);

// The PDF a run's record is offered as: beside its data file, "/d/tank.record.pdf".
std::string HoldRecordPdfPathFor(const std::string& dataPath);

// Prints the test's record page (or writes it as PDF through the print dialog, which
// offers HoldRecordPdfPathFor(runPath)); says so when there is no result to print.
// runPath is the run's data file, empty for a run not saved yet; the page names it.
void PrintHoldTest(QWidget* parent, const std::optional<HoldTestFile>& test, const SampleRows& rows,
                   const std::string& runPath);
// The same with the question of where to print given (tests answer it themselves).
void PrintHoldTest(QWidget* parent, const std::optional<HoldTestFile>& test, const SampleRows& rows,
                   const std::string& runPath, const AskWhereToPrint& ask);

}  // namespace pv::ui
