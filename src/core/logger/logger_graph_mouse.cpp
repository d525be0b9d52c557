// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_graph_mouse.h"

#include <algorithm>

#include "logger/logger_geometry.h"
#include "logger/logger_header.h"
#include "text_format.h"

namespace pv {
namespace {

// The drag watch's band around the plot: 20 pixels above, 40 below, 50 each side.
constexpr WatchBand kLoggerWatchBand{20.0f, 40.0f, 50.0f, 50.0f};

// Snaps the cursor to the record nearest to x on the level shown; false when the
// level has no usable spacing.
bool PlaceCursor(LoggerGraphState& g, int records, float x) {
  const float* levelX = g.levels.posX(LoggerLevelShown(g));
  const int sh = g.scrollShift;
  int index = 0;
  if (records == 1) {
    index = -sh;  // the only record, wherever the mouse is
  } else {
    const float dx = levelX[1] - levelX[0];
    if (!(dx > 0.0f && std::isfinite(dx))) return false;
    index = TruncToInt((x - levelX[0]) / dx - static_cast<float>(sh));
    const int j = index + sh;
    // Half-way between two records keeps the left one.
    if (j >= 0 && j + 1 < records && x - levelX[j] > levelX[j + 1] - x) ++index;
  }
  g.cursorRecord = index;
  const int j = index + sh;
  // A record beyond the table has no position on this level: no line for it.
  g.cursorHidden = !(j >= 0 && j < records);
  if (!g.cursorHidden) g.cursorX = TruncToInt(levelX[j]);
  return true;
}

// The readout of the cursor's record in the last record's unit, or its error word,
// and the record's time of day.
void Readout(AppModel& m, int records, int i) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  const float value = s.values[i] * s.fullScaleAt[records - 1] / s.fullScaleAt[i];
  if (IsUnitCode(s.unitAt[records - 1])) g.readout = Format("%.3f", value);
  if (const int kind = LoggerErrorKind(s, i)) g.readout = kind == 1 ? "ERR1" : "ERR2";
  g.cursorTime =
      FormatTimeOfDay(LoggerStartSeconds(s) + static_cast<long long>(i) * LoggerIntervalSeconds(s));
}

}  // namespace

void LoggerLeftPress(AppModel& m, Point p) {
  LoggerGraphState& g = m.loggerGraph;
  p = ClampToPlot(p, LoggerPlotOf(g));
  LoggerSelection& sel = g.selections[std::clamp(g.zoomLevel, 0, kMaxZoomDepth)];
  sel.x0 = static_cast<float>(p.x);
  sel.y0 = static_cast<float>(p.y);
  g.drag.press(p);
}

LoggerMove LoggerMouseMove(AppModel& m, Point p) {
  LoggerMove move;
  LoggerGraphState& g = m.loggerGraph;
  const ZoomPlot r = LoggerPlotOf(g);
  if (!m.logger.loaded || !r.usable()) return move;
  const int records = LoggerRecords(m);

  const float x = static_cast<float>(p.x);
  if (records >= 1 && x >= r.left && x <= r.right + 1) move.cursorMoved = PlaceCursor(g, records, x);

  move.band = g.drag.move(ClampToPlot(p, r));

  const int i = g.cursorRecord;
  if (i >= 0 && i < records) {
    Readout(m, records, i);
    LoggerReadoutTexts(g, r, move.header);
    m.loggerView.shownPath = g.filePath;
  }
  LoggerHeaderUnit(m.logger.unitName, move.header);
  return move;
}

ZoomOutcome LoggerLeftRelease(AppModel& m, Point p) {
  LoggerGraphState& g = m.loggerGraph;
  const ZoomPlot r = LoggerPlotOf(g);
  p = ClampToPlot(p, r);
  const int level = std::clamp(g.zoomLevel, 0, kMaxZoomDepth);
  LoggerSelection& sel = g.selections[level];
  sel.x1 = static_cast<float>(p.x);
  sel.y1 = static_cast<float>(p.y);
  if (!g.drag.release() || !m.logger.loaded) return ZoomOutcome::kNone;

  bool accepted = false;
  if (LoggerRecords(m) >= 2 && r.usable()) {
    const float* x = g.levels.posX(level);
    // A selection without width or height would make the next level's scale infinite.
    ZoomStep step{level, sel.x1 != sel.x0 && sel.y1 != sel.y0, x[1] - x[0], r.W(), std::nullopt};
    // Level 0 zooms into any selection; deeper levels only into a downward one that
    // spans enough of the level's range.
    if (level >= 1) {
      const float span = g.valueBottom - g.valueTop;
      const float topValue = g.valueTop + (sel.y0 - r.top) * span / r.H();
      const float bottomValue = g.valueBottom - (r.bottom - sel.y1) * span / r.H();
      step.valueSpan = topValue - bottomValue;
    }
    accepted = TakesZoomStep(step);
  }
  if (accepted) {
    if (level >= 1) {
      g.rangeTop = g.valueTop;
      g.rangeMiddle = g.valueMiddle;
      g.rangeBottom = g.valueBottom;
    }
    g.zoomLevel = level + 1;
  }
  if (g.zoomLevel >= 1) {
    g.fullView = false;
    g.firstVisibleValid = false;
  }
  return accepted ? ZoomOutcome::kAccepted : ZoomOutcome::kRefused;
}

bool LoggerDragWatchTick(AppModel& m, Point pointer) {
  LoggerGraphState& g = m.loggerGraph;
  return g.drag.watch(pointer, LoggerPlotOf(g), kLoggerWatchBand);
}

}  // namespace pv
