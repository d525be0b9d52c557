// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_geometry.h"

namespace pv {

LoggerZoomGrid LoggerZoomGridOf(const LoggerGraphState& g, const ZoomPlot& r, int level) {
  LoggerZoomGrid grid;
  const float* levelX = g.levels.posX(level);
  grid.dx = levelX[1] - levelX[0];
  grid.spaced = grid.dx > 0.0f && std::isfinite(grid.dx);
  if (!grid.spaced) return grid;
  const float width = r.W();
  grid.n = TruncToInt(width / grid.dx);
  if (grid.n == 2) {
    grid.step = TruncToInt(width * 0.5 / grid.dx);
  } else if (grid.n == 3) {
    grid.step = TruncToInt(width * 0.33333334f / grid.dx);
  } else if (grid.n >= 4) {
    grid.step = TruncToInt(width * 0.25 / grid.dx);
  }
  return grid;
}

}  // namespace pv
