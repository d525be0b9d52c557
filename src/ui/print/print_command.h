// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Print command of the main window and of the logger window: the print
// dialog, then the "Pressure Graph" page of the real-time run, or of the loaded
// logger file while the logger window is open, as exactly one page.
#include <QString>
#include <ctime>
#include <functional>

class QPrinter;
class QWidget;

namespace pv {
struct AppModel;
}

namespace pv::ui {

// Asks the user where and how to print; true to go ahead. The dialog also offers
// printing to a PDF file.
using AskWhereToPrint = std::function<bool(QPrinter& printer, QWidget* parent)>;

// The system print dialog.
bool ShowPrintDialog(QPrinter& printer, QWidget* parent);

enum class PrintOutcome { kPrinted, kCancelled, kFailed };

// Prepares a printer for the page, asks, and prints one page; a cancelled dialog
// prints nothing. On failure *error says why.
PrintOutcome PrintPressureGraph(const AppModel& model, QWidget* parent, const AskWhereToPrint& ask,
                                std::time_t now, QString* error);

// The command as the menus, toolbars and Ctrl+P run it: the system dialog, the clock
// of now, and a message box when printing fails.
void PrintPressureGraph(const AppModel& model, QWidget* parent);

}  // namespace pv::ui
