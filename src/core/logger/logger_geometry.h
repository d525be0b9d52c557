// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph's geometry and record arithmetic, shared by its layout, its drawing
// and its mouse handling: the plot rectangle, the level shown, a zoom level's record
// spacing and grid step, and the times of records.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "app_model.h"
#include "chart/chart_geometry.h"
#include "chart/zoom_engine.h"
#include "display_list.h"
#include "files/sample_rows.h"
#include "link/units.h"

namespace pv {

inline constexpr Rgb kLoggerBackground{217, 218, 212};
inline constexpr int kLoggerToolBarHeight = 23;

// The plot rectangle as the last layout placed it.
inline ZoomPlot LoggerPlotOf(const LoggerGraphState& g) {
  return {g.plotLeft, g.plotTop, g.plotRight, g.plotBottom};
}

// Records as far as the store holds them; the reader refuses larger counts already.
inline int LoggerRecords(const AppModel& m) {
  return std::clamp(m.logger.recordCount, 0, kStoreCapacity);
}

inline int LoggerLevelShown(const LoggerGraphState& g) {
  return g.fullView ? 0 : std::clamp(g.zoomLevel, 0, kMaxZoomDepth);
}

// A zoom level needs two records for its spacing; the release never leaves the full
// view otherwise, and this keeps a store replaced behind the window safe too.
inline bool LoggerZoomShown(const LoggerGraphState& g, int records) {
  return !g.fullView && g.zoomLevel >= 1 && records >= 2;
}

inline int LoggerErrorKind(const LoggerStore& s, int i) {
  return ErrorKind(s.values[i], s.fullScaleAt[i], kErrorFullScale);
}

inline long long LoggerStartSeconds(const LoggerStore& s) {
  return static_cast<long long>(s.startHour) * 3600 + static_cast<long long>(s.startMinute) * 60 +
         s.startSecond;
}

// Whole seconds, truncated.
inline long long LoggerIntervalSeconds(const LoggerStore& s) {
  return s.intervalMs / 1000;
}

// The spacing of zoom level Z's position table and the grid it gives: n records fit
// across the plot; from two on, a mark every `step` records (four marks across, or
// fewer when fewer records fit), otherwise one per record.
struct LoggerZoomGrid {
  float dx = 0.0f;
  bool spaced = false;  // a positive, finite spacing: marks and trace can be placed
  int n = 0;
  int step = 1;
};
LoggerZoomGrid LoggerZoomGridOf(const LoggerGraphState& g, const ZoomPlot& r, int level);

// The five full-view labels, top to bottom. Adding zero turns the -0 of an empty
// file's scale into 0, so no label reads "-0.0000".
inline std::array<float, 5> LoggerFullViewValues(const LoggerGraphState& g) {
  const float top = g.rangeTop + 0.0f;
  return {top, static_cast<float>(top * 0.5) + 0.0f, 0.0f, static_cast<float>(top * -0.5) + 0.0f,
          g.rangeBottom + 0.0f};
}

}  // namespace pv
