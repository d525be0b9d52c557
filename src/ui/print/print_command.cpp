// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/print_command.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/print/pdf_file.h"
#include "ui/print/print_painter.h"

namespace pv::ui {

bool ShowPrintDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Print"));
  // A print is the whole document (the graph's one page, or every page of a record):
  // no page ranges, selections or current page to choose from.
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec() == QDialog::Accepted;
}

PrintOutcome PrintPressureGraph(const AppModel& model, QWidget* parent, const AskWhereToPrint& ask,
                                std::time_t now, QString* error) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(PressureGraphPageLayout());
  printer.setDocName(QStringLiteral("Pressure Graph"));
  printer.setCreator(QStringLiteral("Pneuvista"));
  if (!ask(printer, parent)) return PrintOutcome::kCancelled;
  // The dialog's "print to file" names the PDF to write.
  const bool printed = printer.outputFileName().isEmpty() ? PrintPageOn(printer, model, now, error)
                                                          : PrintPageToPdfFile(printer, model, now, error);
  return printed ? PrintOutcome::kPrinted : PrintOutcome::kFailed;
}

void PrintPressureGraph(const AppModel& model, QWidget* parent) {
  QString error;
  if (PrintPressureGraph(model, parent, ShowPrintDialog, std::time(nullptr), &error) ==
      PrintOutcome::kFailed) {
    QMessageBox::warning(parent, QStringLiteral("Print"), error);
  }
}

}  // namespace pv::ui
