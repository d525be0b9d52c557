// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/zoom_levels.h"

#include <algorithm>

namespace pv {
namespace {

void DeriveAxis(const float* from, float* to, int first, int count, float origin, float shift, float size,
                float span) {
  first = std::min(first, count);
  // An accepted level never has an empty span; keep a degenerate one as it is.
  if (span > 0.0f) {
    for (int i = first; i < count; ++i) to[i] = origin + (from[i] - shift) * size / span;
  } else if (first < count) {
    std::copy(from + first, from + count, to + first);
  }
}

}  // namespace

void ZoomLevels::derive(int level, const LevelTransform& t, int xCount, int yCount) {
  const int from = tables.firstStale(
      level + 1, {t.originX, t.shiftX, t.width, t.spanX, t.originY, t.shiftY, t.height, t.spanY});
  DeriveAxis(posX(level), posX(level + 1), from, xCount, t.originX, t.shiftX, t.width, t.spanX);
  DeriveAxis(posY(level), posY(level + 1), from, yCount, t.originY, t.shiftY, t.height, t.spanY);
  tables.written(level + 1, from, yCount);
}

}  // namespace pv
