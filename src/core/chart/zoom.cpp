// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/zoom.h"

#include <algorithm>
#include <utility>

#include "chart/chart_geometry.h"

namespace pv {
namespace {

// The range test of a new level works on a fixed plot of 372 pixels from y = 118 to
// 490, whatever the window size; 0.0026881720f is 1/372 as a 32-bit float.
constexpr float kRangeTop = 118.0f;
constexpr float kRangeBottom = 490.0f;
constexpr float kRangeScale = 0.0026881720f;
constexpr float kMaxSampleSpacing = 671.0f;

// The drag watch's band around the plot: 3 pixels above, 20 below, 50 each side.
constexpr WatchBand kChartWatchBand{3.0f, 20.0f, 50.0f, 50.0f};

ZoomPlot EdgesOf(const PlotRect& r) {
  return {static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
          static_cast<float>(r.bottom)};
}

bool MouseActive(const AppModel& m, const PlotRect& r) {
  return m.store.sampleCount > 0 && r.drawable();
}

// Level j + 1 is level j seen through selection rectangle j. Every paint puts the
// rectangle's pixels in order and derives the level's value labels; the positions
// are recomputed only from the first entry the level tables hold as stale.
void ComputeLevel(ChartState& c, int j, int samples, const PlotRect& r) {
  const int width = r.width();
  const int height = r.height();
  float X1 = static_cast<float>(r.left + width * c.zoomX1[j]);
  float X2 = static_cast<float>(r.left + width * c.zoomX2[j]);
  float Y1 = static_cast<float>(r.top + height * c.zoomY1[j]);
  float Y2 = static_cast<float>(r.top + height * c.zoomY2[j]);
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
  c.zoomPixelX1[j] = X1;
  c.zoomPixelX2[j] = X2;
  c.zoomPixelY1[j] = Y1;
  c.zoomPixelY2[j] = Y2;

  const float shiftX = X1 - static_cast<float>(r.left);
  const float shiftY = Y1 - static_cast<float>(r.top);
  const float h = static_cast<float>(height);
  // Level positions are on the plot surface: its top-left corner is the origin.
  c.levels.derive(j, {0.0f, shiftX, static_cast<float>(width), X2 - X1, 0.0f, shiftY, h, Y2 - Y1},
                  std::max(samples, 2), samples);

  const float Lt = c.valueLabels[j][0];
  const float Lb = c.valueLabels[j][4];
  const float top = Lt + shiftY * (Lb - Lt) / h;
  const float bottom = Lb - (static_cast<float>(r.bottom) - Y2) * (Lb - Lt) / h;
  const float q = (top - bottom) * 0.25f;
  c.valueLabels[j + 1] = {top, top - q, top - 2 * q, top - 3 * q, top - 4 * q};
}

}  // namespace

ShownLevel CurrentLevel(const AppModel& model) {
  const ChartState& c = model.chart;
  ShownLevel level;
  level.depth = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  level.x0 = c.levels.posX(level.depth)[0];
  level.dx = c.levels.posX(level.depth)[1] - level.x0;
  level.offset = c.scrollOffset;
  return level;
}

bool LeftPress(AppModel& model, Point p, int clientW, int clientH) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  if (!MouseActive(model, r)) return false;
  ChartState& c = model.chart;
  p = ClampToPlot(p, EdgesOf(r));
  const int d = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  c.zoomPixelX1[d] = static_cast<float>(p.x);
  c.zoomPixelY1[d] = static_cast<float>(p.y);
  c.zoomX1[d] = static_cast<double>(p.x - r.left) / r.width();
  c.zoomY1[d] = static_cast<double>(p.y - r.top) / r.height();
  c.drag.press(p);
  return true;
}

RubberBand MouseMove(AppModel& model, Point p, int clientW, int clientH) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  ChartState& c = model.chart;
  if (!MouseActive(model, r) || !c.drag.dragging) return {};
  c.rubberBandShown = true;
  return c.drag.move(ClampToPlot(p, EdgesOf(r)));
}

ZoomOutcome LeftRelease(AppModel& model, Point p, int clientW, int clientH, ModelObserver& observer) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  if (!MouseActive(model, r)) return ZoomOutcome::kNone;
  ChartState& c = model.chart;
  p = ClampToPlot(p, EdgesOf(r));
  const int d = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  c.zoomPixelX2[d] = static_cast<float>(p.x);
  c.zoomPixelY2[d] = static_cast<float>(p.y);
  c.zoomX2[d] = static_cast<double>(p.x - r.left) / r.width();
  c.zoomY2[d] = static_cast<double>(p.y - r.top) / r.height();
  c.rubberBandShown = false;
  if (!c.drag.release()) return ZoomOutcome::kNone;

  if (c.zoomPixelX2[d] < c.zoomPixelX1[d]) std::swap(c.zoomPixelX1[d], c.zoomPixelX2[d]);
  if (c.zoomPixelY2[d] < c.zoomPixelY1[d]) std::swap(c.zoomPixelY1[d], c.zoomPixelY2[d]);
  const float top = c.valueLabels[d][0];
  const float bottom = c.valueLabels[d][4];
  const float newTop = top + (bottom - top) * (c.zoomPixelY1[d] - kRangeTop) * kRangeScale;
  const float newBottom = bottom - (bottom - top) * (kRangeBottom - c.zoomPixelY2[d]) * kRangeScale;
  if (d < kMaxZoomDepth) {
    c.valueLabels[d + 1][0] = newTop;
    c.valueLabels[d + 1][4] = newBottom;
  }
  // A rectangle without width would divide every later position by zero.
  const bool accepted = TakesZoomStep({d, c.zoomPixelX2[d] > c.zoomPixelX1[d],
                                       c.levels.posX(d)[1] - c.levels.posX(d)[0], kMaxSampleSpacing,
                                       static_cast<double>(newTop - newBottom)});
  if (accepted) c.zoomDepth = d + 1;

  c.live = false;
  c.zoomLeftValid = false;
  observer.invalidateChart(false);
  observer.commandsChanged();
  return accepted ? ZoomOutcome::kAccepted : ZoomOutcome::kRefused;
}

bool DragWatchTick(AppModel& model, Point pointer, int clientW, int clientH, ModelObserver& observer) {
  ChartState& c = model.chart;
  if (!c.drag.watch(pointer, EdgesOf(ChartPlotRect(clientW, clientH)), kChartWatchBand)) return false;
  observer.invalidateChart(false);
  c.rubberBandShown = false;
  return true;
}

void UndoZoom(AppModel& model, ModelObserver& observer) {
  ChartState& c = model.chart;
  c.zoomDepth = 0;
  c.live = true;
  c.levelZeroStep = c.step;
  c.scrollOffset = 0;
  observer.invalidateChart(false);
  observer.commandsChanged();
}

void ScrollTo(AppModel& model, int thumb, ModelObserver& observer) {
  ChartState& c = model.chart;
  if (c.live) return;
  thumb = std::clamp(thumb, 0, std::max(model.store.sampleCount, 0));
  // The thumb stands at the sample shown at the left edge: zoomLeft - offset.
  c.scrollOffset = c.zoomLeft - thumb;
  observer.invalidateChart(false);
}

ScrollBarState ChartScrollBarState(const AppModel& model) {
  const ChartState& c = model.chart;
  ScrollBarState bar;
  // The live chart shows the whole run: the bar has nothing to pan and shows no thumb
  // that would move with every sample.
  if (!c.live) {
    bar.maximum = std::max(model.store.sampleCount, 0);
    bar.enabled = true;
    bar.position = c.zoomLeft - c.scrollOffset;
  }
  return bar;
}

int ChartScrollPage(const AppModel& model, int plotWidth) {
  const ShownLevel level = CurrentLevel(model);
  if (!level.usable() || plotWidth <= 0) return 1;
  const float across = static_cast<float>(plotWidth) / level.dx;
  const int samples = std::max(model.store.sampleCount, 1);
  return across < static_cast<float>(samples) ? std::max(TruncToInt(across), 1) : samples;
}

void LayoutZoomedDisplay(AppModel& model, const PlotRect& r) {
  ChartState& c = model.chart;
  const int samples = CommittedSamples(model);
  const int depth = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  const std::time_t s = model.run.intervalSeconds();
  for (int j = 0; j < depth; ++j) ComputeLevel(c, j, samples, r);

  const ShownLevel level = CurrentLevel(model);
  if (!level.usable()) return;
  const float dx = level.dx;
  if (!c.zoomLeftValid) {
    c.zoomLeft = TruncToInt(-level.x0 / dx);
    c.zoomLeftValid = true;
  }
  c.timeLabels[0] = model.run.startTime + std::time_t{c.zoomLeft - level.offset} * s;

  // Ten grid lines a whole number of samples apart, about a quarter of the plot.
  const int width = r.width();
  const int m = TruncToInt(static_cast<float>(width) / dx);
  int k = 1;
  if (m >= 2) {
    const int cell = width / std::min(m, 4);
    k = TruncToInt(static_cast<float>(cell) / dx);
  }
  for (int n = 0; n < kTimeLabels; ++n) {
    c.labelSamples[n] = c.zoomLeft + k * n;
    c.timeLabels[n] = c.timeLabels[0] + std::time_t{c.labelSamples[n] - c.zoomLeft} * s;
  }
}

void DrawZoomedDisplay(const AppModel& model, const PlotRect& r, DisplayList& surface) {
  const ChartState& c = model.chart;
  const ShownLevel level = CurrentLevel(model);
  if (!level.usable()) return;
  const float dx = level.dx;
  const float X0 = level.x0;
  const int o = level.offset;
  const int width = r.width();
  const int height = r.height();
  for (int n = 0; n < kTimeLabels; ++n) {
    const int x = TruncToInt(dx * static_cast<float>(c.labelSamples[n]) + X0);
    surface.line({x, height}, {x, 0}, kGridPen);
  }

  const int samples = CommittedSamples(model);
  if (samples <= 1) return;
  const float* y = c.levels.posY(level.depth);
  const auto xAt = [&](int i) { return TruncToInt(dx * static_cast<float>(i + o) + X0); };
  // Only the samples across the plot and one beside it on each side.
  const auto [first, end] = SegmentsOnSurface(0, samples - 1, width, xAt);
  TraceBuilder trace(surface, width, height, end - first + 1);
  for (int i = first; i < end; ++i) {
    const Point a{xAt(i), TruncToInt(y[i])};
    const Point b{xAt(i + 1), TruncToInt(y[i + 1])};
    trace.segment(a, b);
    if (SampleErrorKind(model, i) != 0) trace.errorMark(a);
  }
}

void DrawZoomedTimeLabels(const AppModel& model, const PlotRect& r, DisplayList& mainWindow) {
  const ChartState& c = model.chart;
  const ShownLevel level = CurrentLevel(model);
  if (!level.usable()) return;
  for (int n = 0; n < kTimeLabels; ++n) {
    const float x =
        level.dx * static_cast<float>(c.labelSamples[n]) + static_cast<float>(r.left) + level.x0;
    if (x >= static_cast<float>(r.left) && x <= static_cast<float>(r.right)) {
      mainWindow.text({TruncToInt(x), r.bottom + 40}, c.timeLabelTexts[n], FontRole::kChart, kTextColour,
                      Brush::ButtonFace());
    }
  }
}

}  // namespace pv
