// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Pressure Test Record" pages on paper and in PDF files, on the same sheet and
// through the same careful PDF path as the "Pressure Graph" page.
#include <QString>
#include <ctime>
#include <vector>

#include "holdtest/hold_page.h"
#include "ui/print/print_command.h"

class QPrinter;
class QWidget;

namespace pv::ui {

// Writes the record's pages as a PDF at path, replacing a file there only once every
// page is complete. False with a message that names the file in *error.
bool WriteHoldRecordPdf(const QString& path, const HoldPageInput& input, std::time_t now, QString* error);

// The print dialog, then the record's pages on the printer or in the PDF file it names.
PrintOutcome PrintHoldRecord(const HoldPageInput& input, QWidget* parent, const AskWhereToPrint& ask,
                             std::time_t now, QString* error);

// As the windows call it: the system dialog, now, and a message box when it fails.
void PrintHoldRecord(const HoldPageInput& input, QWidget* parent);

}  // namespace pv::ui
