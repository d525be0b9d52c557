// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Printing into a PDF file as carefully as Save writes its files: the page goes to a
// file in memory, and only a complete PDF replaces the file named, through the atomic
// save (a temporary beside it, synced, renamed). A full disk or a symlink at the name
// never leaves a broken PDF or writes through the link.
#include <QString>
#include <ctime>
#include <functional>

class QPrinter;

namespace pv {
struct AppModel;
}

namespace pv::ui {

// Prints the model's page on a printer set up for PDF output to a file; the printer's
// output file name is the file to write, and is left as it was. False with a message
// that names the file and the system's reason in *error.
bool PrintPageToPdfFile(QPrinter& printer, const AppModel& model, std::time_t now, QString* error);

// Draws a document on a printer that is set up and not yet started; false with a
// message in *error.
using PrintOnto = std::function<bool(QPrinter& printer, QString* error)>;

// Any document into the printer's output file, as carefully as the model's page.
bool PrintToPdfFile(QPrinter& printer, const PrintOnto& print, QString* error);

}  // namespace pv::ui
