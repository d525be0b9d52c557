#pragma once
// The logger graph window's state: the view it shows (full view or a zoom level with
// its scroll shift), the geometry the last paint computed for the mouse, and the
// cursor and drag. It outlives the window, so reopening it shows the same file.
#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "chart/sample_store.h"
#include "display_list.h"

namespace pv {

inline constexpr int kLoggerLevels = 100;  // level 0 (full view) and 99 zoom steps
inline constexpr int kLoggerMaxZoom = kLoggerLevels - 1;
inline constexpr int kLoggerGridMarks = 10;

// A selection as the mouse made it: press point (x0, y0) and release point (x1, y1),
// in the pixels of the level it was made on. Paint orders the corners.
struct LoggerSelection {
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
};

struct LoggerGraphState {
  std::string g_strLogFilePath;  // chosen by the last Download; drawn above the plot
  bool g_bFullView = true;
  int g_nZoomLevel = 0;
  int g_nScrollShift = 0;  // record i is drawn where record i + shift lies
  bool g_bCursorHidden = true;
  bool g_bNoDrag = true;  // no move since the press: the release does not zoom

  // Plot rectangle of the last paint, in client pixels.
  float g_fPlotLeft = 0.0f, g_fPlotTop = 0.0f, g_fPlotRight = 0.0f, g_fPlotBottom = 0.0f;

  // x and y of every record at every level, allocated once.
  std::vector<float> g_fPosX = std::vector<float>(std::size_t{kLoggerLevels} * kStoreCapacity, 0.0f);
  std::vector<float> g_fPosY = std::vector<float>(std::size_t{kLoggerLevels} * kStoreCapacity, 0.0f);
  float* posX(int level) { return g_fPosX.data() + std::size_t(level) * kStoreCapacity; }
  float* posY(int level) { return g_fPosY.data() + std::size_t(level) * kStoreCapacity; }
  const float* posX(int level) const { return g_fPosX.data() + std::size_t(level) * kStoreCapacity; }
  const float* posY(int level) const { return g_fPosY.data() + std::size_t(level) * kStoreCapacity; }

  std::array<LoggerSelection, kLoggerLevels> g_selection{};

  // Full range: the last record's scale in the full view; while zoomed, the range of
  // the level below the one shown. Level range: the range of the level shown.
  float g_fRangeTop = 0.0f, g_fRangeMiddle = 0.0f, g_fRangeBottom = 0.0f;
  float g_fValueTop = 0.0f, g_fValueMiddle = 0.0f, g_fValueBottom = 0.0f;

  float g_fSampleStep = 0.0f;  // level-0 pixels per record
  int g_nFirstVisible = 0;     // position-table index at the plot's left edge
  bool g_bFirstVisibleValid = false;
  std::array<int, kLoggerGridMarks> g_nMarkRecord{};
  std::array<std::time_t, kLoggerGridMarks> g_timeMark{};  // seconds of the day

  // Cursor and readout.
  int g_nCursorIndex = -1;  // record number, not shifted
  int g_nCursorX = 0;
  std::string g_strReadout;
  std::string g_strCursorTime;

  // Left-button drag, clamped to the plot.
  bool g_bDragging = false;
  Point g_ptAnchor, g_ptLast;
};

}  // namespace pv
