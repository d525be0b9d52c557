// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/print_painter.h"

#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "app_model.h"
#include "print/print_page.h"
#include "ui/common/display_list_painter.h"
#include "ui/common/look.h"
#include "ui/print/pdf_file.h"

namespace pv::ui {
namespace {

// A text given a room is drawn smaller when its font would overrun it.
QFont FittingPrintFont(QFont font, const QString& text, double room, QPaintDevice* device) {
  int size = font.pixelSize();
  while (size > 1 && QFontMetricsF(font, device).horizontalAdvance(text) > room) font.setPixelSize(--size);
  return font;
}

struct PageReplay {
  QPainter& painter;
  const PageUnitMapping& map;
  int dotsPerInch;

  QPen pen(const Pen& p) const {
    QPen q(ToQColor(p.colour));
    q.setWidthF(map.length(std::max(p.width, 1)));
    if (p.style == PenStyle::kDotted) {
      // Dots one pen width long: flat ends keep them dots instead of dashes.
      q.setStyle(Qt::DotLine);
      q.setCapStyle(Qt::FlatCap);
    } else {
      // A wide printer pen has round ends, so the frame's corners close.
      q.setCapStyle(Qt::RoundCap);
      q.setJoinStyle(Qt::RoundJoin);
    }
    return q;
  }

  void operator()(const Line& l) {
    painter.setPen(pen(l.pen));
    painter.drawLine(map.map(l.from), map.map(l.to));
  }
  void operator()(const Polyline& p) {
    painter.setPen(pen(p.pen));
    for (std::size_t i = 1; i < p.points.size(); ++i)
      painter.drawLine(map.map(p.points[i - 1]), map.map(p.points[i]));
  }
  void operator()(const Pixels& p) {
    const double side = map.length(1);
    for (const Point& pt : p.points)
      painter.fillRect(QRectF(map.map(pt), QSizeF(side, side)), ToQColor(p.colour));
  }
  void operator()(const FillRect& f) {
    if (f.width <= 0 || f.height <= 0) return;
    const QRectF r = QRectF(map.map({f.x, f.y}), map.map({f.x + f.width, f.y + f.height})).normalized();
    painter.fillRect(r, f.brush.buttonFace ? QColor(Qt::white) : ToQColor(f.brush.colour));
  }
  void operator()(const Text& t) {
    if (t.text.empty()) return;
    const QString text = QString::fromUtf8(t.text.data(), static_cast<qsizetype>(t.text.size()));
    QFont font = FontForPrintRole(t.font, dotsPerInch);
    if (t.maxWidth > 0) font = FittingPrintFont(font, text, map.length(t.maxWidth), painter.device());
    painter.setFont(font);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const QPointF topLeft = map.map(t.at);
    if (t.background) {
      const QColor paper = t.background->buttonFace ? QColor(Qt::white) : ToQColor(t.background->colour);
      painter.fillRect(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.height())), paper);
    }
    painter.setPen(ToQColor(t.colour));
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
  }
  void operator()(const Clip& c) {
    if (!c.on) return painter.setClipping(false);
    painter.setClipRect(QRectF(map.map({c.x, c.y}), map.map({c.x + c.width, c.y + c.height})).normalized());
  }
};

}  // namespace

QFont FontForPrintRole(FontRole role, int dotsPerInch) {
  QFont font = FontForRole(role);
  // The role's character height is in page units (0.01 inch); paper counts device pixels.
  if (font.pixelSize() > 0) font.setPixelSize(std::max(1, font.pixelSize() * dotsPerInch / 100));
  return font;
}

void PaintPrintPage(QPainter& painter, const DisplayList& page, const PageUnitMapping& mapping) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setBrush(Qt::NoBrush);
  PageReplay replay{painter, mapping, mapping.dotsPerInch()};
  for (const DisplayCommand& command : page.commands) std::visit(replay, command);
  painter.restore();
}

QPageLayout PressureGraphPageLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(3, 5, 3, 5),
                     QPageLayout::Millimeter);
}

bool PrintPageOn(QPrinter& printer, const AppModel& model, std::time_t now, QString* error) {
  return PrintDisplayListOn(printer, BuildPrintPage(model, now).list, error);
}

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
    if (error) *error = pages.size() == 1 ? QStringLiteral("The page could not be finished.")
                                : QStringLiteral("The pages could not be finished.");
    return false;
  }
  return true;
}

bool PrintDisplayListOn(QPrinter& printer, const DisplayList& page, QString* error) {
  return PrintPagesOn(printer, std::vector<DisplayList>{page}, error);
}

bool PrintToPdf(const AppModel& model, const QString& pdfPath, std::time_t now, QString* error) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdfPath);
  printer.setPageLayout(PressureGraphPageLayout());
  printer.setDocName(QStringLiteral("Pressure Graph"));
  printer.setCreator(QStringLiteral("Pneuvista"));
  return PrintPageToPdfFile(printer, model, now, error);
}

}  // namespace pv::ui
