// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_graph_draw.h"

#include <algorithm>
#include <array>

#include "chart/chart_layout.h"
#include "logger/logger_geometry.h"
#include "logger/logger_header.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr Pen kFullGridPen{{80, 80, 80}, 1, PenStyle::kSolid};
constexpr Pen kZoomGridPen{{100, 100, 100}, 1, PenStyle::kSolid};
constexpr Pen kAxisPen{{255, 0, 0}, 1, PenStyle::kSolid};
constexpr Rgb kPlotColour{0, 0, 0};
constexpr int kGridLines = 20;
constexpr int kLoneMarkLength = 6;

// The trace, its error marks and the zoom grid stay within the plot, its edges
// included, whatever the records' values or the zoom and scroll make of them.
void ClipToPlot(const ZoomPlot& r, DisplayList& out) {
  const int left = TruncToInt(r.left), top = TruncToInt(r.top);
  out.clip(left, top, TruncToInt(r.right) - left + 1, TruncToInt(r.bottom) - top + 1);
}

void ValueLabels(const std::array<float, 5>& v, const ZoomPlot& r, DisplayList& out) {
  const float height = r.H();
  const int ys[5] = {TruncToInt(r.top), TruncToInt(r.top + 0.25 * height - 8), TruncToInt(r.bottom - 0.5 * height - 8),
                     TruncToInt(r.bottom - 0.25 * height - 8), TruncToInt(r.bottom - 12)};
  for (int k = 0; k < 5; ++k) {
    const int x = TruncToInt(ValueLabelIndentClass(v[k]) * 7.5);
    LoggerLabel(out, {x, ys[k]}, Format("%.4f", v[k]), TruncToInt(r.left - 3) - x);
  }
}

void LeftTicks(const ZoomPlot& r, DisplayList& out) {
  for (int i = 0; i <= 4; ++i) {
    const int y = TruncToInt(r.top + r.H() * i * 0.25);
    out.line({TruncToInt(r.left - 3), y}, {TruncToInt(r.left), y}, kAxisPen);
  }
}

void GridAndAxes(const ZoomPlot& r, bool fullView, DisplayList& out) {
  const int left = TruncToInt(r.left), top = TruncToInt(r.top), right = TruncToInt(r.right), bottom = TruncToInt(r.bottom);
  for (int i = 0; i <= kGridLines; ++i) {
    const int y = TruncToInt(r.top + r.H() * i * 0.05);
    out.line({left, y}, {right, y}, kFullGridPen);
  }
  if (fullView) {
    for (int i = 1; i <= kGridLines; ++i) {
      const int x = TruncToInt(r.left + r.W() * i * 0.05);
      out.line({x, top}, {x, bottom}, kFullGridPen);
    }
  }
  out.line({left, bottom}, {right, bottom}, kAxisPen);
  out.line({left, top}, {left, bottom}, kAxisPen);
  out.line({right, top}, {right, bottom}, kAxisPen);
  LeftTicks(r, out);
  for (int i = 0; i <= 4; ++i) {
    const int y = TruncToInt(r.top + r.H() * i * 0.25);
    out.line({right, y}, {TruncToInt(r.right + 3), y}, kAxisPen);
  }
}

void FullView(const AppModel& m, const ZoomPlot& r, int records, int clientW, int clientH, DisplayList& out) {
  const LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  // The bottom label stands once, as "%.4f" like the others; the six-character form
  // of it is only for the printed page.
  if (s.loaded) ValueLabels(LoggerFullViewValues(g), r, out);

  const float* x = g.levels.posX(0);
  const float* y = g.levels.posY(0);
  ClipToPlot(r, out);
  // A single record has no segment: a short stroke from the left edge shows it, clear
  // of the axis it would otherwise hide in.
  if (records == 1) {
    const Point lone{TruncToInt(x[0]), TruncToInt(y[0])};
    out.line(lone, {lone.x + kLoneMarkLength, lone.y}, kTracePen);
  }
  TraceBuilder trace(out, clientW, clientH, records);
  for (int i = 0; i + 1 < records; ++i) {
    const Point a{TruncToInt(x[i]), TruncToInt(y[i])};
    trace.segment(a, {TruncToInt(x[i + 1]), TruncToInt(y[i + 1])});
    if (LoggerErrorKind(s, i) != 0) trace.errorMark(a);
  }
  out.unclip();
  LoggerLabel(out, {TruncToInt(r.left), TruncToInt(r.bottom + 8)}, s.startText);
  LoggerLabel(out, {TruncToInt(r.right - 55), TruncToInt(r.bottom + 8)}, s.endText);
}

// The vertical grid of the marks the layout placed: one per record while at most one
// record fits across, otherwise every grid step from the first visible record.
void ZoomGrid(const LoggerGraphState& g, const LoggerZoomGrid& grid, const ZoomPlot& r, int level, int records,
              DisplayList& out) {
  const float* levelX = g.levels.posX(level);
  const float dx = grid.dx;
  const int first = g.firstVisible;
  const int top = TruncToInt(r.top), bottom = TruncToInt(r.bottom);
  if (grid.n <= 1) {
    for (int k = 0; k < kLoggerGridMarks; ++k) {
      if (first + k >= records) continue;
      const int x = TruncToInt(levelX[first + k]);
      out.line({x, bottom}, {x, top}, kZoomGridPen);
    }
    return;
  }
  // Positions of table indices beyond the records continue the level's spacing.
  const float x0 = first >= 0 && first < records ? levelX[first] : levelX[0] + static_cast<float>(first) * dx;
  for (int k = 0; k < kLoggerGridMarks; ++k) {
    const int x = TruncToInt(x0 + static_cast<float>(k * grid.step) * dx);
    out.line({x, bottom}, {x, top}, kZoomGridPen);
  }
}

// Record i is drawn where record i + shift lies; positions outside the table are skipped.
void ZoomTrace(const AppModel& m, int level, int records, int clientW, int clientH, DisplayList& out) {
  const LoggerGraphState& g = m.loggerGraph;
  const float* levelX = g.levels.posX(level);
  const float* levelY = g.levels.posY(level);
  const int sh = g.scrollShift;
  const int begin = std::max(0, -sh);
  const int end = std::min(records - 1, records - sh - 1);
  // Only the records across the window and one beside it on each side.
  const auto [first, last] =
      SegmentsOnSurface(begin, end, clientW, [&](int i) { return TruncToInt(levelX[i + sh]); });
  TraceBuilder trace(out, clientW, clientH, last - first + 1);
  for (int i = first; i < last; ++i) {
    const Point a{TruncToInt(levelX[i + sh]), TruncToInt(levelY[i])};
    trace.segment(a, {TruncToInt(levelX[i + sh + 1]), TruncToInt(levelY[i + 1])});
    if (LoggerErrorKind(m.logger, i) != 0) trace.errorMark(a);
  }
}

// The margins hide whatever the zoomed trace and grid drew outside the plot; the
// toolbar's rows stay out of it.
void Margins(const ZoomPlot& r, int clientW, int clientH, DisplayList& out) {
  const int bar = kLoggerToolBarHeight;
  LoggerClear(out, 0, bar, clientW, TruncToInt(r.top - bar));
  LoggerClear(out, 0, TruncToInt(r.bottom + 1), clientW, TruncToInt(clientH - r.bottom));
  LoggerClear(out, 0, bar, TruncToInt(r.left), clientH - bar);
  LoggerClear(out, TruncToInt(r.right), bar, TruncToInt(clientW - r.right), clientH - bar);
}

// The times of the marks within the plot whose records exist, under the plot. A mark
// names a place in the position table; the record shown there is the place less the
// scroll shift, and the mark's time is that record's.
void TimeLabels(const LoggerGraphState& g, const ZoomPlot& r, float dx, int level, int records, DisplayList& out) {
  const float* levelX = g.levels.posX(level);
  for (int k = 0; k < kLoggerGridMarks; ++k) {
    const int i = g.markRecords[k];
    const int record = i - g.scrollShift;
    if (record < 0 || record >= records || i < 0) continue;
    const float x = i < records ? levelX[i] : levelX[0] + static_cast<float>(i) * dx;
    if (x < r.left || x > r.right) continue;
    LoggerLabel(out, {TruncToInt(x), TruncToInt(r.bottom + 1)}, FormatTimeOfDay(g.markTimes[k]));
  }
}

void ZoomLevel(const AppModel& m, const ZoomPlot& r, int level, int records, int clientW, int clientH,
               DisplayList& out) {
  const LoggerGraphState& g = m.loggerGraph;
  const LoggerZoomGrid grid = LoggerZoomGridOf(g, r, level);
  if (grid.spaced) {
    ClipToPlot(r, out);
    ZoomGrid(g, grid, r, level, records, out);
    ZoomTrace(m, level, records, clientW, clientH, out);
    out.unclip();
  }
  Margins(r, clientW, clientH, out);
  if (grid.spaced) TimeLabels(g, r, grid.dx, level, records, out);
  LeftTicks(r, out);
  const std::array<float, 5> v = {g.valueTop, (g.valueMiddle + g.valueTop) / 2, g.valueMiddle,
                                  (g.valueMiddle + g.valueBottom) / 2, g.valueBottom};
  ValueLabels(v, r, out);
}

}  // namespace

LoggerGraphFrame DrawLoggerGraph(const AppModel& m, int clientW, int clientH) {
  const LoggerGraphState& g = m.loggerGraph;
  LoggerGraphFrame frame;
  frame.surface = Surface{0, 0, clientW, clientH, Brush::Solid(kLoggerBackground), {}};
  DisplayList& out = frame.surface.list;
  const ZoomPlot r = LoggerPlotOf(g);
  if (!r.usable()) return frame;

  const int records = LoggerRecords(m);
  const int left = TruncToInt(r.left), top = TruncToInt(r.top);
  out.fill(left, top, TruncToInt(r.right) - left, TruncToInt(r.bottom) - top, Brush::Solid(kPlotColour));
  const bool zoomed = LoggerZoomShown(g, records);
  GridAndAxes(r, !zoomed, out);
  LoggerClear(out, TruncToInt(r.left - 11.2), TruncToInt(r.bottom + 1), TruncToInt(r.right), 100);
  if (zoomed) {
    ZoomLevel(m, r, std::min(g.zoomLevel, kMaxZoomDepth), records, clientW, clientH, out);
  } else {
    FullView(m, r, records, clientW, clientH, out);
  }
  if (m.logger.loaded) LoggerPaintHeader(g, g.unitFieldName, m.logger.unitName, out);
  LoggerPathLine(g, r, out);
  frame.cursor = LoggerCursor(m);
  frame.scrollBar = LoggerScrollBarState(m);
  return frame;
}

std::optional<LoggerCursorLine> LoggerCursor(const AppModel& m) {
  const LoggerGraphState& g = m.loggerGraph;
  const ZoomPlot r = LoggerPlotOf(g);
  if (g.cursorHidden || !r.usable()) return std::nullopt;
  const float x = static_cast<float>(g.cursorX);
  if (x < r.left || x > r.right) return std::nullopt;
  LoggerCursorLine line;
  line.x = g.cursorX;
  line.top = TruncToInt(r.top);
  line.bottom = TruncToInt(r.bottom);
  return line;
}

LoggerScrollBar LoggerScrollBarState(const AppModel& m) {
  const LoggerGraphState& g = m.loggerGraph;
  LoggerScrollBar bar;
  const int records = LoggerRecords(m);
  bar.maximum = records;
  if (!g.fullView && g.zoomLevel >= 1) {
    bar.enabled = true;
    bar.position = std::clamp(g.firstVisible - g.scrollShift, 0, records);
  }
  return bar;
}

}  // namespace pv
