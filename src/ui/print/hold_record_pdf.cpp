// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/hold_record_pdf.h"

#include <QMessageBox>
#include <QPainter>
#include <QPrinter>

#include "ui/print/pdf_file.h"
#include "ui/print/print_painter.h"

namespace pv::ui {
namespace {

const QString kDocumentName = QString::fromLatin1(kHoldPageTitle);

void SetUp(QPrinter& printer) {
  printer.setPageLayout(PressureGraphPageLayout());
  printer.setDocName(kDocumentName);
  printer.setCreator(QStringLiteral("Pneuvista"));
}

}  // namespace

bool WriteHoldRecordPdf(const QString& path, const HoldPageInput& input, std::time_t now, QString* error) {
  const std::vector<DisplayList> pages = BuildHoldRecordPages(input, now);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  SetUp(printer);
  return PrintToPdfFile(
      printer, [&](QPrinter& p, QString* why) { return PrintPagesOn(p, pages, why); }, error);
}

PrintOutcome PrintHoldRecord(const HoldPageInput& input, QWidget* parent, const AskWhereToPrint& ask,
                             std::time_t now, QString* error) {
  QPrinter printer(QPrinter::HighResolution);
  SetUp(printer);
  if (!ask(printer, parent)) return PrintOutcome::kCancelled;
  const std::vector<DisplayList> pages = BuildHoldRecordPages(input, now);
  auto print = [&](QPrinter& p, QString* why) { return PrintPagesOn(p, pages, why); };
  // The dialog's "print to file" names the PDF to write.
  const bool printed =
      printer.outputFileName().isEmpty() ? print(printer, error) : PrintToPdfFile(printer, print, error);
  return printed ? PrintOutcome::kPrinted : PrintOutcome::kFailed;
}

void PrintHoldRecord(const HoldPageInput& input, QWidget* parent) {
  QString error;
  if (PrintHoldRecord(input, parent, ShowPrintDialog, std::time(nullptr), &error) == PrintOutcome::kFailed)
    QMessageBox::warning(parent, QStringLiteral("Print"), error);
}

}  // namespace pv::ui
