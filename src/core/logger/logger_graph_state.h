// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph window's state: the view it shows (full view or a zoom level with
// its scroll shift), the geometry the last layout computed for the drawing and the
// mouse, and the cursor and drag. It outlives the window, so reopening it shows the
// same file.
#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "chart/sample_store.h"
#include "chart/zoom_engine.h"
#include "chart/zoom_levels.h"
#include "display_list.h"

namespace pv {

inline constexpr int kLoggerGridMarks = 10;

// A selection as the mouse made it: press point (x0, y0) and release point (x1, y1),
// in the pixels of the level it was made on. The layout orders the corners.
struct LoggerSelection {
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
};

struct LoggerGraphState {
  std::string filePath;  // chosen by the last Download; drawn above the plot
  bool fullView = true;
  int zoomLevel = 0;
  int scrollShift = 0;  // record i is drawn where record i + shift lies
  bool cursorHidden = true;

  // Plot rectangle of the last layout, in client pixels.
  float plotLeft = 0.0f, plotTop = 0.0f, plotRight = 0.0f, plotBottom = 0.0f;

  // x and y of every record at every level, in client pixels; level 0 is the full view.
  ZoomLevels levels;

  std::array<LoggerSelection, kZoomLevels> selections{};

  // Full range: the last record's scale in the full view; while zoomed, the range of
  // the level below the one shown. Level range: the range of the level shown.
  float rangeTop = 0.0f, rangeMiddle = 0.0f, rangeBottom = 0.0f;
  float valueTop = 0.0f, valueMiddle = 0.0f, valueBottom = 0.0f;

  float recordStep = 0.0f;  // level-0 pixels per record
  int firstVisible = 0;     // position-table index at the plot's left edge
  bool firstVisibleValid = false;
  std::array<int, kLoggerGridMarks> markRecords{};
  std::array<std::time_t, kLoggerGridMarks> markTimes{};  // seconds of the day

  // Cursor and readout.
  int cursorRecord = -1;  // record number, not shifted
  int cursorX = 0;
  std::string readout;
  std::string cursorTime;
  // The unit name the header's field beside the readout shows: the logger's unit name
  // as it stood before the last layout took the last record's unit. The bracketed
  // name at the left shows the new one, so the two differ for one paint after a
  // file whose saved name is not its last record's.
  std::string unitFieldName;

  // Left-button drag, clamped to the plot.
  ZoomDrag drag;
};

}  // namespace pv
