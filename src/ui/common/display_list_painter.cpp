// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/display_list_painter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <vector>

#include "chart/chart_layout.h"
#include "ui/common/look.h"

namespace pv::ui {
namespace {

QColor BrushColour(const Brush& b, const QPalette& palette) {
  return b.buttonFace ? palette.color(QPalette::Button) : ToQColor(b.colour);
}

QPen ToQPen(const Pen& p) {
  QPen pen(ToQColor(p.colour));
  pen.setWidth(p.width);
  pen.setStyle(p.style == PenStyle::kDotted ? Qt::DotLine : Qt::SolidLine);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

// Points converted once per command; a full trace has 17278 of them.
const QPoint* ToQPoints(const std::vector<Point>& points, std::vector<QPoint>& buffer) {
  buffer.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) buffer[i] = QPoint(points[i].x, points[i].y);
  return buffer.data();
}

// The largest font of the text's own family no wider than its room.
QFont FittingFont(QFont font, const QString& text, int room) {
  int size = QFontInfo(font).pixelSize();
  while (size > 1 && QFontMetrics(font).horizontalAdvance(text) > room) font.setPixelSize(--size);
  return font;
}

struct Replay {
  QPainter& painter;
  const QPalette& palette;
  std::vector<QPoint> buffer;
  bool clipped = false;

  void operator()(const Line& l) {
    painter.setPen(ToQPen(l.pen));
    painter.drawLine(l.from.x, l.from.y, l.to.x, l.to.y);
  }
  void operator()(const Polyline& p) {
    if (p.points.empty()) return;
    painter.setPen(ToQPen(p.pen));
    const QPoint* q = ToQPoints(p.points, buffer);
    const int n = static_cast<int>(p.points.size());
    if (p.pen.width <= 1) {
      painter.drawPolyline(q, n);
      return;
    }
    // A wide pen is many times faster as separate segments than as one polyline.
    for (int i = 1; i < n; ++i) painter.drawLine(q[i - 1], q[i]);
  }
  void operator()(const Pixels& p) {
    if (p.points.empty()) return;
    QPen pen(ToQColor(p.colour));
    pen.setWidth(1);
    painter.setPen(pen);
    painter.drawPoints(ToQPoints(p.points, buffer), static_cast<int>(p.points.size()));
  }
  void operator()(const FillRect& f) {
    if (f.width <= 0 || f.height <= 0) return;
    painter.fillRect(f.x, f.y, f.width, f.height, BrushColour(f.brush, palette));
  }
  void operator()(const Text& t) {
    if (t.text.empty()) return;
    const QString text = QString::fromUtf8(t.text.data(), static_cast<qsizetype>(t.text.size()));
    QFont font = FontForRole(t.font);
    if (t.maxWidth > 0) font = FittingFont(font, text, t.maxWidth);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font());
    // The position is the text's top-left corner; an opaque text fills its cell first.
    if (t.background) {
      painter.fillRect(t.at.x, t.at.y, metrics.horizontalAdvance(text), metrics.height(),
                       BrushColour(*t.background, palette));
    }
    painter.setPen(ToQColor(t.colour));
    painter.drawText(t.at.x, t.at.y + metrics.ascent(), text);
  }
  // A clip narrows whatever clip the list is drawn in; the next one starts from it again.
  void operator()(const Clip& c) {
    unclip();
    if (!c.on) return;
    painter.save();
    painter.setClipRect(c.x, c.y, c.width, c.height, Qt::IntersectClip);
    clipped = true;
  }
  void unclip() {
    if (clipped) painter.restore();
    clipped = false;
  }
};

}  // namespace

QFont FontForRole(FontRole role) {
  switch (role) {
    case FontRole::kPrintTitle:
    case FontRole::kPrintLabel: {
      // Character heights in the page's units, like the front panel's fonts.
      QFont f = ArialFont();
      f.setPixelSize(role == FontRole::kPrintTitle ? 25 : 10);
      f.setWeight(QFont::Thin);
      return f;
    }
    case FontRole::kChart:
    default: {
      // The main window's 10-point Song face; a similar font stands in where it is missing.
      QFont f(QStringLiteral("SimSun"));
      f.setFamilies(
          {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"), QStringLiteral("DejaVu Sans")});
      f.setStyleHint(QFont::Serif);
      f.setPointSize(10);
      return f;
    }
  }
}

void PaintDisplayList(QPainter& painter, const DisplayList& list, const QPalette& palette) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  Replay replay{painter, palette, {}};
  for (const DisplayCommand& command : list.commands) std::visit(replay, command);
  replay.unclip();
  painter.restore();
}

void PaintDisplayList(QPainter& painter, const DisplayList& list) {
  PaintDisplayList(painter, list, QGuiApplication::palette());
}

void PaintSurface(QPainter& painter, const Surface& surface, const QPalette& palette) {
  if (surface.width <= 0 || surface.height <= 0) return;
  painter.save();
  const QRect rect(surface.x, surface.y, surface.width, surface.height);
  painter.setClipRect(rect, Qt::IntersectClip);
  painter.fillRect(rect, BrushColour(surface.background, palette));
  painter.translate(surface.x, surface.y);
  PaintDisplayList(painter, surface.list, palette);
  painter.restore();
}

void PaintSurface(QPainter& painter, const Surface& surface) {
  PaintSurface(painter, surface, QGuiApplication::palette());
}

void PaintChartFrame(QPainter& painter, const QRect& area, const ChartFrame& chart, const QPalette& palette,
                     const QPoint& mainWindowOffset) {
  QRegion ground(area);
  if (chart.plotDrawn) {
    for (const Surface* s : {&chart.plot, &chart.leftStrip, &chart.rightStrip})
      ground -= QRect(s->x, s->y, s->width, s->height);
  }
  // The plot covers most of the picture: filling the ground beneath it too would
  // write every one of its pixels twice.
  for (const QRect& r : ground) painter.fillRect(r, palette.color(QPalette::Button));
  if (chart.plotDrawn) {
    PaintSurface(painter, chart.plot, palette);
    PaintSurface(painter, chart.leftStrip, palette);
    PaintSurface(painter, chart.rightStrip, palette);
  }
  painter.save();
  painter.translate(-mainWindowOffset);
  PaintDisplayList(painter, chart.mainWindow, palette);
  painter.restore();
}

}  // namespace pv::ui
