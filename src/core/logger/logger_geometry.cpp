#include "logger/logger_geometry.h"

namespace pv {

LoggerZoomGrid LoggerZoomGridOf(const LoggerGraphState& g, const LoggerPlot& r, int Z) {
  LoggerZoomGrid grid;
  const float* X = g.posX(Z);
  grid.dx = X[1] - X[0];
  grid.spaced = grid.dx > 0.0f && std::isfinite(grid.dx);
  if (!grid.spaced) return grid;
  const float W = r.W();
  grid.n = TruncToInt(W / grid.dx);
  if (grid.n == 2) {
    grid.step = TruncToInt(W * 0.5 / grid.dx);
  } else if (grid.n == 3) {
    grid.step = TruncToInt(W * 0.33333334f / grid.dx);
  } else if (grid.n >= 4) {
    grid.step = TruncToInt(W * 0.25 / grid.dx);
  }
  return grid;
}

}  // namespace pv
