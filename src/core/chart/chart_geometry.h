// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Geometry shared by the chart's paint, zoom and cursors: the plot rectangle, the
// float-to-pixel rule, the chart's colours and the trace builder.
#include <cmath>
#include <utility>
#include <vector>

#include "app_model.h"
#include "display_list.h"
#include "link/units.h"

namespace pv {

inline constexpr int kPlotLeft = 294;
inline constexpr int kPlotTop = 118;
inline constexpr int kPlotRightMargin = 70;
inline constexpr int kPlotBottomMargin = 150;

// The plot rectangle in view client coordinates, the same for paint and mouse.
struct PlotRect {
  int left = kPlotLeft;
  int top = kPlotTop;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  // A client area smaller than the margins has no plot to draw or point into.
  bool drawable() const { return right > left && bottom > top; }
};

inline PlotRect ChartPlotRect(int clientW, int clientH) {
  return PlotRect{kPlotLeft, kPlotTop, clientW - kPlotRightMargin, clientH - kPlotBottomMargin};
}

// Pixels are taken by truncation toward zero. Deep zooms and wild readings can put a
// sample millions of pixels away, so the result saturates (NaN gives 0) and stays in
// the range a raster painter handles.
inline constexpr int kCoordinateLimit = 1 << 24;
inline int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= kCoordinateLimit) return kCoordinateLimit;
  if (v <= -kCoordinateLimit) return -kCoordinateLimit;
  return static_cast<int>(v);
}

inline constexpr Rgb kPlotBackground{0, 0, 0};
inline constexpr Rgb kGridColour{170, 170, 170};
inline constexpr Rgb kTraceColour{255, 0, 0};
inline constexpr Rgb kErrorMarkColour{255, 255, 255};
inline constexpr Rgb kTextColour{0, 0, 0};
inline constexpr Rgb kStripTextBackground{255, 255, 255};
inline constexpr Pen kGridPen{kGridColour, 1, PenStyle::kDotted};
inline constexpr Pen kTracePen{kTraceColour, 1, PenStyle::kSolid};

// 0 ordinary, 1 "ERR1", 2 "ERR2".
inline int SampleErrorKind(const AppModel& m, int i) {
  return ErrorKind(m.store.values[i], m.store.toPsiAt[i], kErrorToPsi);
}

// Sample i converted into the unit of the latest reading.
inline float SampleInCurrentUnit(const AppModel& m, int i) {
  return m.run.fullScale / m.store.fullScaleAt[i] * m.store.values[i];
}

// Committed samples as far as the store can hold them.
inline int CommittedSamples(const AppModel& m) {
  return m.store.sampleCount < 0 ? 0 : (m.store.sampleCount > kMaxSamples ? kMaxSamples : m.store.sampleCount);
}

// Segment i of a trace runs from x(i) to x(i + 1), x never decreasing with i. Returns
// the segments of [begin, end) that can leave anything on a surface `width` wide as
// TraceBuilder draws it: those before lie left of it and so do their error marks,
// those after lie right of it. Each end of the range keeps the sample beside it.
template <class X>
std::pair<int, int> SegmentsOnSurface(int begin, int end, int width, X x) {
  const auto firstKept = [&](int lo, int hi, auto before) {
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (before(mid))
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  };
  const int first = firstKept(begin, end, [&](int i) { return x(i + 1) < 0 && x(i) < -2; });
  const int last = firstKept(first, end, [&](int i) { return x(i) <= width + 1; });
  return {first, last};
}

// Collects trace segments into as few polylines as the drawing order allows, drops
// segments that cannot touch the surface, and puts error marks between them so that
// later segments still paint over earlier marks.
class TraceBuilder {
 public:
  // expectedPoints sizes the first polyline, which in the usual case is the whole trace.
  TraceBuilder(DisplayList& out, int width, int height, int expectedPoints)
      : out_(out), width_(width), height_(height), expected_(expectedPoints) {}

  void segment(Point a, Point b);
  // The small diagonal cross of nine pixels centred on an error sample.
  void errorMark(Point c);

 private:
  bool outside(Point a, Point b) const {
    return (a.x < 0 && b.x < 0) || (a.x >= width_ && b.x >= width_) || (a.y < 0 && b.y < 0) ||
           (a.y >= height_ && b.y >= height_);
  }

  DisplayList& out_;
  int width_, height_;
  int expected_;
  std::size_t open_ = kNone;  // command index of the polyline a joined segment extends
  static constexpr std::size_t kNone = ~std::size_t{0};
};

}  // namespace pv
