// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_graph_view.h"

#include "logger/logger_geometry.h"

namespace pv {

void LoggerZoomOut(AppModel& m) {
  LoggerGraphState& g = m.loggerGraph;
  g.fullView = true;
  g.cursorHidden = true;
  g.zoomLevel = 0;
  g.drag.unmoved = true;
  g.scrollShift = 0;
}

bool LoggerScrollTo(AppModel& m, int thumb) {
  LoggerGraphState& g = m.loggerGraph;
  if (g.fullView || g.zoomLevel < 1 || !g.firstVisibleValid) return false;
  // The thumb names the record to bring to the left edge.
  g.scrollShift = g.firstVisible - std::clamp(thumb, 0, LoggerRecords(m));
  return true;
}

void LoggerResetView(AppModel& m) {
  LoggerZoomOut(m);
  m.loggerGraph.drag.dragging = false;
}

}  // namespace pv
