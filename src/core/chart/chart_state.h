// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real-time chart's state that lives from start to exit: the live window, value
// and time labels, the zoom stack with its position tables, the drag and the
// measuring cursors, and the cursor bar's texts.
#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "chart/sample_store.h"
#include "chart/zoom_engine.h"
#include "chart/zoom_levels.h"
#include "display_list.h"

namespace pv {

inline constexpr int kValueLabels = 5;  // top, upper quarter, middle, lower quarter, bottom
inline constexpr int kTimeLabels = 10;
inline constexpr int kInitialWindowSamples = 100;

// How far the right clicks have got with the measuring cursors. Clicks alternate
// between A and B; B counts only once placed after the latest A.
enum class CursorStage {
  kNonePlaced,  // the next click places A
  kAPlaced,     // A placed last: the next click places B, and Clear waits for it
  kBothPlaced,  // B placed after A: both show, the next click moves A
};

struct ChartState {
  // Live display.
  int windowSamples = kInitialWindowSamples;  // samples spanning the plot's width
  float step = 0.0f;                          // pixels per sample of the live display
  bool live = true;

  // Labels: values per zoom level, clock times under the grid lines.
  std::array<std::array<float, kValueLabels>, kZoomLevels> valueLabels{};
  std::array<std::time_t, kTimeLabels> timeLabels{};
  std::array<std::string, kTimeLabels> timeLabelTexts;
  std::array<std::string, kValueLabels> valueLabelTexts;       // "%.4f", on screen
  std::array<std::string, kValueLabels> printValueLabels;  // six characters, for the printed page

  // Zoom stack: the selection of each level as plot fractions (press 1, release 2),
  // and the same in client pixels, recomputed and ordered at every zoomed paint.
  int zoomDepth = 0;
  std::array<double, kZoomLevels> zoomX1{}, zoomY1{}, zoomX2{}, zoomY2{};
  std::array<float, kZoomLevels> zoomPixelX1{}, zoomPixelY1{}, zoomPixelX2{}, zoomPixelY2{};

  // Position of every sample at every level in plot-surface pixels; level 0 follows
  // the live display.
  ZoomLevels levels;

  float levelZeroStep = 0.0f;  // level-0 step; frozen window size while zoomed
  int levelZeroWindowSamples = kInitialWindowSamples;
  int zoomLeft = 0;  // sample at the left edge of the deepest level
  bool zoomLeftValid = true;
  int scrollOffset = 0;  // samples the zoomed trace is shifted to the right
  std::array<int, kTimeLabels> labelSamples{};

  // Left-button drag (view client coordinates).
  ZoomDrag drag;
  bool rubberBandShown = false;  // a rubber band is showing; the sample timer leaves the chart alone

  // Measuring cursors.
  int cursorA = -1;
  int cursorB = -1;
  bool cursorsHidden = true;
  CursorStage cursorStage = CursorStage::kNonePlaced;
  int cursorLo = 0, cursorHi = 0;
};

// The nine read-only texts of the cursor bar and its Clear button.
struct CursorBarTexts {
  std::string aValue, aTime, bValue, bTime;
  std::string maximum, minimum, maximumTime, minimumTime, average;
  bool clearEnabled = false;

  // Empties the nine texts; the Clear button keeps its state.
  void clearTexts() {
    const bool keep = clearEnabled;
    *this = {};
    clearEnabled = keep;
  }
  // In the bar's box order.
  std::array<std::string, 9> boxes() const {
    return {aValue, aTime, bValue, bTime, maximum, minimum, maximumTime, minimumTime, average};
  }
  friend bool operator==(const CursorBarTexts&, const CursorBarTexts&) = default;
};

}  // namespace pv
