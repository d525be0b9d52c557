// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_graph_layout.h"

#include <algorithm>
#include <utility>

#include "logger/logger_geometry.h"
#include "text_format.h"

namespace pv {
namespace {

// Level 0: a record at +fullScale/10 of its own unit lands on the top edge, so records
// of different units share one plot. With a single record there is no step; it
// stands at the left edge.
void LevelZero(AppModel& m, const ZoomPlot& r, int records) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  g.recordStep = records > 1 ? r.W() / static_cast<float>(records - 1) : 0.0f;
  float* x = g.levels.posX(0);
  float* y = g.levels.posY(0);
  const float mid = (r.top + r.bottom) / 2;
  const float half = r.H() / 2;
  for (int i = 0; i < records; ++i) {
    g.levels.tables.writeLevelZero(x, i, r.left + static_cast<float>(i) * g.recordStep);
    g.levels.tables.writeLevelZero(y, i, mid - 10 * s.values[i] * half / s.fullScaleAt[i]);
  }
}

// The full range from the last record's scale, and the labels the printed page repeats.
void FullRange(AppModel& m, int records) {
  LoggerGraphState& g = m.loggerGraph;
  const float fullScale = records > 0 ? m.logger.fullScaleAt[records - 1] : 0.0f;
  g.rangeTop = static_cast<float>(fullScale * 0.1);
  g.rangeMiddle = 0.0f;
  g.rangeBottom = static_cast<float>(fullScale * -0.1);
  const std::array<float, 5> v = LoggerFullViewValues(g);
  m.loggerView.printValueLabels = {FormatSigned6Cut(v[0]), FormatSigned6Cut(v[1]), FormatSigned6Cut(v[3]),
                                 FormatSigned6Cut(v[4])};
}

// Level L + 1 is level L seen through its selection, stretched over the plot. The
// selections are put in order at every layout; the positions are recomputed only from
// the first entry the level tables hold as stale.
void RebuildLevels(LoggerGraphState& g, const ZoomPlot& r, int depth, int records) {
  for (int level = 0; level < depth; ++level) {
    LoggerSelection& sel = g.selections[level];
    if (sel.x1 < sel.x0) std::swap(sel.x0, sel.x1);
    if (sel.y1 < sel.y0) std::swap(sel.y0, sel.y1);
    g.levels.derive(level, {r.left, sel.x0, r.W(), sel.x1 - sel.x0, r.top, sel.y0, r.H(), sel.y1 - sel.y0},
                    records, records);
  }
}

// The record at the plot's left edge (once per zoom step, so scrolling keeps it) and
// the ten grid marks from it: their records and times of day.
void GridMarks(LoggerGraphState& g, const LoggerStore& s, const ZoomPlot& r, int level) {
  const LoggerZoomGrid grid = LoggerZoomGridOf(g, r, level);
  if (!grid.spaced) return;
  const float* levelX = g.levels.posX(level);
  const float dx = grid.dx;
  const int sh = g.scrollShift;
  if (!g.firstVisibleValid) {
    g.firstVisible = std::max(0, TruncToInt((r.left - (levelX[0] + static_cast<float>(sh) * dx)) / dx + sh));
    g.firstVisibleValid = true;
  }
  const int first = g.firstVisible;
  const long long interval = LoggerIntervalSeconds(s);
  const long long base = LoggerStartSeconds(s) + static_cast<long long>(first - sh) * interval;
  for (int k = 0; k < kLoggerGridMarks; ++k) {
    g.markRecords[k] = first + k * grid.step;
    g.markTimes[k] = static_cast<std::time_t>(base + static_cast<long long>(k) * grid.step * interval);
  }
}

// The level range: the selection that made this level, read against the range below.
void LevelRange(LoggerGraphState& g, const ZoomPlot& r, int level) {
  const LoggerSelection& sel = g.selections[level - 1];
  const float span = g.rangeBottom - g.rangeTop;
  g.valueTop = g.rangeTop + (sel.y0 - r.top) * span / r.H();
  g.valueBottom = g.rangeBottom - (r.bottom - sel.y1) * span / r.H();
  g.valueMiddle = (g.valueTop + g.valueBottom) / 2;
}

void LastRecordsUnit(AppModel& m, int records) {
  LoggerStore& s = m.logger;
  m.loggerGraph.unitFieldName = s.unitName;
  if (records > 0 && IsUnitCode(s.unitAt[records - 1]))
    s.unitName = std::string(kUnits[s.unitAt[records - 1]].name);
}

}  // namespace

void LayoutLoggerGraph(AppModel& m, int clientW, int clientH) {
  LoggerGraphState& g = m.loggerGraph;
  g.plotLeft = static_cast<float>(0 + 76.2);
  g.plotTop = static_cast<float>(0 + 60);
  g.plotRight = static_cast<float>(clientW - 61.2);
  g.plotBottom = static_cast<float>(clientH - 61.2);
  const ZoomPlot r = LoggerPlotOf(g);
  if (!r.usable()) return;

  const int records = LoggerRecords(m);
  const bool loaded = m.logger.loaded;
  LevelZero(m, r, records);
  if (LoggerZoomShown(g, records)) {
    const int level = std::min(g.zoomLevel, kMaxZoomDepth);
    RebuildLevels(g, r, level, records);
    GridMarks(g, m.logger, r, level);
    LevelRange(g, r, level);
  } else if (loaded) {
    FullRange(m, records);
  }
  if (loaded) LastRecordsUnit(m, records);
}

}  // namespace pv
