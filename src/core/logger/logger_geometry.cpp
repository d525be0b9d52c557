#include "logger/logger_geometry.h"

#include "text_format.h"

namespace pv {
namespace {

constexpr long long kSecondsPerDay = 86400;

}  // namespace

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

std::string FormatTimeOfDay(long long secondsOfDay) {
  const long long t = (secondsOfDay % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
  return Format("%02lld:%02lld:%02lld", t / 3600, t / 60 % 60, t % 60);
}

}  // namespace pv
