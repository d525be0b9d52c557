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
void LevelZero(AppModel& m, const LoggerPlot& r, int M) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  g.recordStep = M > 1 ? r.W() / static_cast<float>(M - 1) : 0.0f;
  float* x = g.posX(0);
  float* y = g.posY(0);
  const float mid = (r.top + r.bottom) / 2;
  const float half = r.H() / 2;
  for (int i = 0; i < M; ++i) {
    g.levelTables.writeLevelZero(x, i, r.left + static_cast<float>(i) * g.recordStep);
    g.levelTables.writeLevelZero(y, i, mid - 10 * s.values[i] * half / s.fullScaleAt[i]);
  }
}

// The full range from the last record's scale, and the labels the printed page repeats.
void FullRange(AppModel& m, int M) {
  LoggerGraphState& g = m.loggerGraph;
  const float fullScale = M > 0 ? m.logger.fullScaleAt[M - 1] : 0.0f;
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
void RebuildLevels(LoggerGraphState& g, const LoggerPlot& r, int Z, int M) {
  const float W = r.W();
  const float H = r.H();
  for (int L = 0; L < Z; ++L) {
    LoggerSelection& sel = g.selections[L];
    if (sel.x1 < sel.x0) std::swap(sel.x0, sel.x1);
    if (sel.y1 < sel.y0) std::swap(sel.y0, sel.y1);
    const float spanX = sel.x1 - sel.x0;
    const float spanY = sel.y1 - sel.y0;
    const int from = std::min(
        g.levelTables.firstStale(L + 1, {r.left, sel.x0, W, spanX, r.top, sel.y0, H, spanY}), M);
    const float* x = g.posX(L);
    const float* y = g.posY(L);
    float* nx = g.posX(L + 1);
    float* ny = g.posY(L + 1);
    // Accepted selections always have an area; a degenerate one would divide by zero.
    if (spanX > 0.0f) {
      for (int i = from; i < M; ++i) nx[i] = r.left + (x[i] - sel.x0) * W / spanX;
    } else {
      std::copy(x + from, x + M, nx + from);
    }
    if (spanY > 0.0f) {
      for (int i = from; i < M; ++i) ny[i] = r.top + (y[i] - sel.y0) * H / spanY;
    } else {
      std::copy(y + from, y + M, ny + from);
    }
    g.levelTables.written(L + 1, from, M);
  }
}

// The record at the plot's left edge (once per zoom step, so scrolling keeps it) and
// the ten grid marks from it: their records and times of day.
void GridMarks(LoggerGraphState& g, const LoggerStore& s, const LoggerPlot& r, int Z) {
  const LoggerZoomGrid grid = LoggerZoomGridOf(g, r, Z);
  if (!grid.spaced) return;
  const float* X = g.posX(Z);
  const float dx = grid.dx;
  const int sh = g.scrollShift;
  if (!g.firstVisibleValid) {
    g.firstVisible = std::max(0, TruncToInt((r.left - (X[0] + static_cast<float>(sh) * dx)) / dx + sh));
    g.firstVisibleValid = true;
  }
  const int first = g.firstVisible;
  const long long I = LoggerIntervalSeconds(s);
  const long long base = LoggerStartSeconds(s) + static_cast<long long>(first - sh) * I;
  for (int k = 0; k < kLoggerGridMarks; ++k) {
    g.markRecords[k] = first + k * grid.step;
    g.markTimes[k] = static_cast<std::time_t>(base + static_cast<long long>(k) * grid.step * I);
  }
}

// The level range: the selection that made this level, read against the range below.
void LevelRange(LoggerGraphState& g, const LoggerPlot& r, int Z) {
  const LoggerSelection& sel = g.selections[Z - 1];
  const float span = g.rangeBottom - g.rangeTop;
  g.valueTop = g.rangeTop + (sel.y0 - r.top) * span / r.H();
  g.valueBottom = g.rangeBottom - (r.bottom - sel.y1) * span / r.H();
  g.valueMiddle = (g.valueTop + g.valueBottom) / 2;
}

void LastRecordsUnit(AppModel& m, int M) {
  LoggerStore& s = m.logger;
  m.loggerGraph.unitFieldName = s.unitName;
  if (M > 0 && IsUnitCode(s.unitAt[M - 1]))
    s.unitName = std::string(kUnits[s.unitAt[M - 1]].name);
}

}  // namespace

void LayoutLoggerGraph(AppModel& m, int clientW, int clientH) {
  LoggerGraphState& g = m.loggerGraph;
  g.plotLeft = static_cast<float>(0 + 76.2);
  g.plotTop = static_cast<float>(0 + 60);
  g.plotRight = static_cast<float>(clientW - 61.2);
  g.plotBottom = static_cast<float>(clientH - 61.2);
  const LoggerPlot r = LoggerPlotOf(g);
  if (!r.usable()) return;

  const int M = LoggerRecords(m);
  const bool loaded = m.logger.loaded == 1;
  LevelZero(m, r, M);
  if (LoggerZoomShown(g, M)) {
    const int Z = std::min(g.zoomLevel, kLoggerMaxZoom);
    RebuildLevels(g, r, Z, M);
    GridMarks(g, m.logger, r, Z);
    LevelRange(g, r, Z);
  } else if (loaded) {
    FullRange(m, M);
  }
  if (loaded) LastRecordsUnit(m, M);
}

}  // namespace pv
