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

bool PrintPagesOn(QPrinter& printer, const std::vector<DisplayList>& pages, QString* error) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) {
      *error = printer.outputFileName().isEmpty()
                   ? QStringLiteral("The printer could not be started.")
                   : QStringLiteral("%1 could not be written.").arg(printer.outputFileName());
    }
    return false;
  }
  // The painter's origin is the top-left corner of the printable area; the pages' origin
  // is its bottom-right corner.
  const int dpi = printer.resolution();
  const QRectF printable(QPointF(0, 0), printer.pageLayout().paintRectPixels(dpi).size());
  const PageUnitMapping mapping(printable, dpi);
  for (std::size_t k = 0; k < pages.size(); ++k) {
    if (k > 0 && !printer.newPage()) {
      painter.end();
      if (error) *error = QStringLiteral("Page %1 could not be started.").arg(k + 1);
      return false;
    }
    PaintPrintPage(painter, pages[k], mapping);
  }
  if (!painter.end()) {
    if (error) *error = QStringLiteral("The pages could not be finished.");
    return false;
  }
  return true;
}

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
