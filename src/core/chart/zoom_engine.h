// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rubber-band zoom the real-time chart and the Graph window share. A left-button
// press starts a drag, each move away from the press point shows a rubber band, and a
// release after moving offers a zoom step, taken only within the rules of ZoomStep. A
// drag watch cancels a drag whose pointer leaves a band around the plot. What differs
// between the two plots (the plot's edges, the watch band, the spacing limit, whether
// the value span counts) comes in as arguments.
#include <optional>

#include "chart/zoom_levels.h"
#include "display_list.h"

namespace pv {

inline constexpr int kDragWatchPeriodMs = 10;
// A new level must show more than this much of the value range.
inline constexpr double kMinZoomSpan = 0.005;

// A rubber-band outline in client coordinates (left <= right, top <= bottom).
struct RubberBand {
  bool visible = false;
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const RubberBand&, const RubberBand&) = default;
};

enum class ZoomOutcome {
  kNone,      // a click, a cancelled drag or nothing to zoom: nothing changed
  kRefused,   // no new level, but the plot switches to the zoomed display it has
  kAccepted,  // one level deeper
};

// A plot's edges in client pixels; they may fall between pixels.
struct ZoomPlot {
  float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
  float W() const { return right - left; }
  float H() const { return bottom - top; }
  bool usable() const { return right > left && bottom > top; }
};

// The point moved onto the plot; an edge between pixels counts truncated.
Point ClampToPlot(Point p, const ZoomPlot& plot);

// How far beyond each edge of the plot the pointer may go while dragging.
struct WatchBand {
  float above, below, left, right;
};

struct ZoomDrag {
  Point anchor;  // the press point, clamped to the plot
  bool dragging = false;
  bool unmoved = true;  // no move since the press, or cancelled: a release does not zoom

  void press(Point clamped);
  // The rubber band from the anchor to the pointer; hidden without a drag or back on
  // the anchor.
  RubberBand move(Point clamped);
  // Ends the drag; true when it moved, so that a zoom step is due.
  bool release();
  // Tick of the drag watch: true when the drag was cancelled because the pointer is
  // outside the band around the plot.
  bool watch(Point pointer, const ZoomPlot& plot, const WatchBand& band);
};

// A zoom step asked for by a selection made on level `depth`.
struct ZoomStep {
  int depth = 0;
  bool hasArea = false;             // the selection can be stretched over the plot
  float spacing = 0.0f;             // pixels between two samples of the level
  float maxSpacing = 0.0f;          // a level whose samples lie this far apart is deep enough
  std::optional<double> valueSpan;  // the values the selection covers, where they count
};

// Whether the step adds a level: below the deepest level, with an area, samples
// closer than the limit and, where it counts, more than kMinZoomSpan of value range.
bool TakesZoomStep(const ZoomStep& step);

}  // namespace pv
