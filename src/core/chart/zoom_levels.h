// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The position tables of a zoomable plot, shared by the real-time chart and the Graph
// window: the x and y of every sample at every zoom level. Level 0 is the plot as it
// draws the whole run; level L + 1 is level L seen through the selection made on it.
#include <cstddef>

#include "chart/level_tables.h"
#include "chart/position_table.h"
#include "chart/sample_store.h"

namespace pv {

inline constexpr int kZoomLevels = 100;  // level 0 and 99 zoom steps
inline constexpr int kMaxZoomDepth = kZoomLevels - 1;

// How level L + 1 comes from level L, on each axis: p' = origin + (p - shift) * size / span,
// the selection's span stretched over the plot's size.
struct LevelTransform {
  float originX, shiftX, width, spanX;
  float originY, shiftY, height, spanY;
};

struct ZoomLevels {
  // Allocated once (see PositionTable).
  PositionTable xPositions{std::size_t{kZoomLevels} * kStoreCapacity};
  PositionTable yPositions{std::size_t{kZoomLevels} * kStoreCapacity};
  // Which entries are up to date. Level 0 is written only through it.
  LevelTables<kZoomLevels> tables;

  float* posX(int level) { return xPositions.data() + std::size_t(level) * kStoreCapacity; }
  float* posY(int level) { return yPositions.data() + std::size_t(level) * kStoreCapacity; }
  const float* posX(int level) const { return xPositions.data() + std::size_t(level) * kStoreCapacity; }
  const float* posY(int level) const { return yPositions.data() + std::size_t(level) * kStoreCapacity; }

  // Makes level + 1 from level through t: x for the first xCount entries, y for the
  // first yCount, recomputing only the entries the tables hold as stale.
  void derive(int level, const LevelTransform& t, int xCount, int yCount);
};

}  // namespace pv
