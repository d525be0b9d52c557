#pragma once
// The real-time chart's state that lives from start to exit: the live window, value
// and time labels, the zoom stack with its position tables, the drag and the
// measuring cursors, and the cursor bar's texts.
#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "chart/sample_store.h"
#include "display_list.h"

namespace pv {

inline constexpr int kZoomLevels = 100;  // level 0 (live geometry) and 99 zoom steps
inline constexpr int kMaxZoomDepth = 99;
inline constexpr int kValueLabels = 5;  // top, upper quarter, middle, lower quarter, bottom
inline constexpr int kTimeLabels = 10;
inline constexpr int kInitialWindowSamples = 100;

struct ChartState {
  // Live display.
  int g_nWindowSamples = kInitialWindowSamples;  // samples spanning the plot's width
  float g_fStep = 0.0f;                          // pixels per sample of the live display
  bool g_bLive = true;

  // Labels: values per zoom level, clock times under the grid lines.
  std::array<std::array<float, kValueLabels>, kZoomLevels> g_fValueLabel{};
  std::array<std::time_t, kTimeLabels> g_timeLabel{};
  std::array<std::string, kTimeLabels> m_strTimeLabel;
  std::array<std::string, kValueLabels> g_strYLabel;       // "%.4f", on screen
  std::array<std::string, kValueLabels> g_strPrintYLabel;  // six characters, for the printed page

  // Zoom stack: the selection of each level as plot fractions (press 1, release 2),
  // and the same in client pixels, recomputed and ordered at every zoomed paint.
  int g_nZoomDepth = 0;
  std::array<double, kZoomLevels> g_dZoomX1{}, g_dZoomY1{}, g_dZoomX2{}, g_dZoomY2{};
  std::array<float, kZoomLevels> g_fZoomX1{}, g_fZoomY1{}, g_fZoomX2{}, g_fZoomY2{};

  // Position of every sample at every level in plot-surface pixels, allocated once.
  std::vector<float> g_fPosX = std::vector<float>(std::size_t{kZoomLevels} * kStoreCapacity, 0.0f);
  std::vector<float> g_fPosY = std::vector<float>(std::size_t{kZoomLevels} * kStoreCapacity, 0.0f);
  float* posX(int level) { return g_fPosX.data() + std::size_t(level) * kStoreCapacity; }
  float* posY(int level) { return g_fPosY.data() + std::size_t(level) * kStoreCapacity; }
  const float* posX(int level) const { return g_fPosX.data() + std::size_t(level) * kStoreCapacity; }
  const float* posY(int level) const { return g_fPosY.data() + std::size_t(level) * kStoreCapacity; }

  float g_fStep0 = 0.0f;  // level-0 step; frozen window size while zoomed
  int g_nWindowSamples0 = kInitialWindowSamples;
  int m_nZoomLeft = 0;  // sample at the left edge of the deepest level
  bool g_bZoomLeftValid = true;
  int m_nScrollOffset = 0;  // samples the zoomed trace is shifted to the right
  std::array<int, kTimeLabels> g_nLabelSample{};

  // Left-button drag (view client coordinates).
  Point g_ptDragStart, g_ptDragLast;
  bool g_bDragging = false;
  bool g_bDragUnmoved = true;  // no move since the press, or cancelled: a release does not zoom
  bool m_bRubberBand = false;  // a rubber band is showing; the sample timer leaves the chart alone

  // Measuring cursors.
  int m_nCursorA = -1;
  int m_nCursorB = -1;
  bool m_bCursorsHidden = true;
  bool m_bAwaitingCursorB = false;
  int g_nCursorClicks = 1;  // odd places A, even places B
  bool g_bOnlyCursorA = true;
  float g_fCursorAX = 0.0f, g_fCursorBX = 0.0f;  // client x
  int g_nCursorLo = 0, g_nCursorHi = 0;
};

// The nine read-only texts of the cursor bar and its Clear button.
struct CursorBarTexts {
  std::string aValue, aTime, bValue, bTime;
  std::string maximum, minimum, maximumTime, minimumTime, average;
  bool clearEnabled = false;

  void clearTexts() { *this = CursorBarTexts{{}, {}, {}, {}, {}, {}, {}, {}, {}, clearEnabled}; }
  // In the bar's box order (edit ids 1017..1025).
  std::array<std::string, 9> boxes() const {
    return {aValue, aTime, bValue, bTime, maximum, minimum, maximumTime, minimumTime, average};
  }
  friend bool operator==(const CursorBarTexts&, const CursorBarTexts&) = default;
};

}  // namespace pv
