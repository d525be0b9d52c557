// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Puts the printed "Pressure Graph" page on paper: maps the page's units (0.01 inch,
// origin at the bottom-right corner of the printable area, y up) onto a printer's
// device pixels and draws the page's display list there.
#include <QFont>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <ctime>
#include <vector>

#include "display_list.h"

class QPainter;
class QPrinter;

namespace pv {
struct AppModel;
}

namespace pv::ui {

// Page units onto device pixels: `printable` is the printable area in the painter's
// device coordinates, `dotsPerInch` the device's resolution.
class PageUnitMapping {
 public:
  PageUnitMapping(const QRectF& printable, int dotsPerInch)
      : right_(printable.right()),
        bottom_(printable.bottom()),
        pixelsPerUnit_(dotsPerInch / 100.0),
        dotsPerInch_(dotsPerInch) {}

  QPointF map(Point p) const { return {right_ + p.x * pixelsPerUnit_, bottom_ - p.y * pixelsPerUnit_}; }
  double length(int units) const { return units * pixelsPerUnit_; }
  int dotsPerInch() const { return dotsPerInch_; }

 private:
  double right_, bottom_, pixelsPerUnit_;
  int dotsPerInch_;
};

// The font of a printed role on a device of `dotsPerInch`: the role's face and
// weight, its character height in page units turned into device pixels.
QFont FontForPrintRole(FontRole role, int dotsPerInch);

// Draws a page built by BuildPrintPage: wide pens in page units, fonts by role with
// their character heights in page units, texts opaque on their background.
void PaintPrintPage(QPainter& painter, const DisplayList& page, const PageUnitMapping& mapping);

// The paper the page is laid out for: A4 portrait with narrow margins. The page
// reaches 8.0 inches left of its origin and 11.2 inches above it, which a Letter
// sheet cannot hold and ordinary 10 mm margins would cut.
QPageLayout PressureGraphPageLayout();

// Prints the model's page on a printer that is set up and not yet started, as one
// page. False with a message in *error when the printer cannot be drawn on.
bool PrintPageOn(QPrinter& printer, const AppModel& model, std::time_t now, QString* error);

// Prints a page in page units (as BuildPrintPage lays them out) on a printer that is set
// up and not yet started.
bool PrintDisplayListOn(QPrinter& printer, const DisplayList& page, QString* error);

// The pages on the printer, one sheet each, in order; false with a message when the
// printer cannot start, take a new page or finish.
bool PrintPagesOn(QPrinter& printer, const std::vector<DisplayList>& pages, QString* error);

// Prints the model's page to a one-page PDF file at the printer's high resolution,
// replacing the file only once the page is complete (PrintPageToPdfFile).
bool PrintToPdf(const AppModel& model, const QString& pdfPath, std::time_t now, QString* error);

}  // namespace pv::ui
