#include "logger/logger_graph_mouse.h"

#include <algorithm>

#include "logger/logger_geometry.h"
#include "logger/logger_header.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr double kMinZoomSpan = 0.005;

// Snaps the cursor to the record nearest to x on the level shown; false when the
// level has no usable spacing.
bool PlaceCursor(LoggerGraphState& g, int M, float x) {
  const float* X = g.posX(LoggerLevelShown(g));
  const int sh = g.scrollShift;
  int index = 0;
  if (M == 1) {
    index = -sh;  // the only record, wherever the mouse is
  } else {
    const float dx = X[1] - X[0];
    if (!(dx > 0.0f && std::isfinite(dx))) return false;
    index = TruncToInt((x - X[0]) / dx - static_cast<float>(sh));
    const int j = index + sh;
    // Half-way between two records keeps the left one.
    if (j >= 0 && j + 1 < M && x - X[j] > X[j + 1] - x) ++index;
  }
  g.cursorRecord = index;
  const int j = index + sh;
  // A record beyond the table has no position on this level: no line for it.
  g.cursorHidden = !(j >= 0 && j < M);
  if (!g.cursorHidden) g.cursorX = TruncToInt(X[j]);
  return true;
}

// The readout of the cursor's record in the last record's unit, or its error word,
// and the record's time of day.
void Readout(AppModel& m, int M, int i) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  const float value = s.values[i] * s.fullScaleAt[M - 1] / s.fullScaleAt[i];
  if (IsUnitCode(s.unitAt[M - 1])) g.readout = Format("%.3f", value);
  if (const int kind = LoggerErrorKind(s, i)) g.readout = kind == 1 ? "ERR1" : "ERR2";
  g.cursorTime =
      FormatTimeOfDay(LoggerStartSeconds(s) + static_cast<long long>(i) * LoggerIntervalSeconds(s));
}

}  // namespace

void LoggerLeftPress(AppModel& m, Point p) {
  LoggerGraphState& g = m.loggerGraph;
  p = ClampToLoggerPlot(p, LoggerPlotOf(g));
  g.dragAnchor = p;
  LoggerSelection& sel = g.selections[std::clamp(g.zoomLevel, 0, kLoggerMaxZoom)];
  sel.x0 = static_cast<float>(p.x);
  sel.y0 = static_cast<float>(p.y);
  g.dragging = true;
  g.dragUnmoved = true;
}

LoggerMove LoggerMouseMove(AppModel& m, Point p) {
  LoggerMove move;
  LoggerGraphState& g = m.loggerGraph;
  const LoggerPlot r = LoggerPlotOf(g);
  if (m.logger.loaded != 1 || !r.usable()) return move;
  const int M = LoggerRecords(m);

  const float x = static_cast<float>(p.x);
  if (M >= 1 && x >= r.left && x <= r.right + 1) move.cursorMoved = PlaceCursor(g, M, x);

  if (g.dragging) {
    const Point c = ClampToLoggerPlot(p, r);
    if (c != g.dragAnchor) {
      g.dragUnmoved = false;
      const Point a = g.dragAnchor;
      move.band = {true, std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    }
  }

  const int i = g.cursorRecord;
  if (i >= 0 && i < M) {
    Readout(m, M, i);
    LoggerReadoutTexts(g, r, move.header);
    m.loggerView.shownPath = g.filePath;
  }
  LoggerHeaderUnit(m.logger.unitName, move.header);
  return move;
}

LoggerZoom LoggerLeftRelease(AppModel& m, Point p) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerPlot r = LoggerPlotOf(g);
  p = ClampToLoggerPlot(p, r);
  const int Z = std::clamp(g.zoomLevel, 0, kLoggerMaxZoom);
  LoggerSelection& sel = g.selections[Z];
  sel.x1 = static_cast<float>(p.x);
  sel.y1 = static_cast<float>(p.y);
  g.dragging = false;
  if (g.dragUnmoved || m.logger.loaded != 1) return LoggerZoom::kNone;

  const int M = LoggerRecords(m);
  // A selection without width or height would make the next level's scale infinite,
  // and level 99 is the deepest the tables hold.
  const bool hasArea = sel.x1 != sel.x0 && sel.y1 != sel.y0;
  bool accepted = false;
  if (M >= 2 && hasArea && Z < kLoggerMaxZoom && r.usable()) {
    const float* X = g.posX(Z);
    const float dx = X[1] - X[0];
    const float W = r.W();
    if (Z >= 1) {
      const float span = g.valueBottom - g.valueTop;
      const float topValue = g.valueTop + (sel.y0 - r.top) * span / r.H();
      const float bottomValue = g.valueBottom - (r.bottom - sel.y1) * span / r.H();
      // Only a downward drag gives a positive span.
      if (dx < W && topValue - bottomValue > kMinZoomSpan) {
        g.rangeTop = g.valueTop;
        g.rangeMiddle = g.valueMiddle;
        g.rangeBottom = g.valueBottom;
        g.zoomLevel = Z + 1;
        accepted = true;
      }
    } else if (W > dx) {
      g.zoomLevel = 1;
      accepted = true;
    }
  }
  if (g.zoomLevel >= 1) {
    g.fullView = false;
    g.firstVisibleValid = false;
  }
  return accepted ? LoggerZoom::kAccepted : LoggerZoom::kRefused;
}

bool LoggerDragWatchTick(AppModel& m, Point pointer) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerPlot r = LoggerPlotOf(g);
  const float x = static_cast<float>(pointer.x);
  const float y = static_cast<float>(pointer.y);
  const bool inside = r.top - 20 < y && y < r.bottom + 40 && r.left - 50 < x && x < r.right + 50;
  if (inside || !g.dragging) return false;
  g.dragging = false;
  g.dragUnmoved = true;
  return true;
}

}  // namespace pv
