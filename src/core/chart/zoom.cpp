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
constexpr double kMinValueSpan = 0.005;
constexpr float kMaxSampleSpacing = 671.0f;

// The drag watch's band around the plot, from the client edges.
constexpr int kWatchBelow = 130;
constexpr int kWatchAbove = 115;
constexpr int kWatchRight = 20;
constexpr int kWatchLeft = 244;

Point ClampToPlot(Point p, const PlotRect& r) {
  return {std::clamp(p.x, r.left, r.right), std::clamp(p.y, r.top, r.bottom)};
}

bool MouseActive(const AppModel& m, const PlotRect& r) {
  return m.store.sampleCount > 0 && r.drawable();
}

// Level j + 1 is level j seen through selection rectangle j. Every paint puts the
// rectangle's pixels in order and derives the level's value labels; the positions
// are recomputed only from the first entry the level tables hold as stale.
void ComputeLevel(ChartState& c, int j, int samples, const PlotRect& r) {
  const int W = r.width();
  const int H = r.height();
  float X1 = static_cast<float>(r.left + W * c.zoomX1[j]);
  float X2 = static_cast<float>(r.left + W * c.zoomX2[j]);
  float Y1 = static_cast<float>(r.top + H * c.zoomY1[j]);
  float Y2 = static_cast<float>(r.top + H * c.zoomY2[j]);
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
  c.zoomPixelX1[j] = X1;
  c.zoomPixelX2[j] = X2;
  c.zoomPixelY1[j] = Y1;
  c.zoomPixelY2[j] = Y2;

  const float shiftX = X1 - static_cast<float>(r.left);
  const float shiftY = Y1 - static_cast<float>(r.top);
  const float spanX = X2 - X1;
  const float spanY = Y2 - Y1;
  const float w = static_cast<float>(W);
  const float h = static_cast<float>(H);
  const int from = c.levelTables.firstStale(j + 1, {shiftX, spanX, shiftY, spanY, w, h, 0.0f, 0.0f});
  const float* x = c.posX(j);
  const float* y = c.posY(j);
  float* nx = c.posX(j + 1);
  float* ny = c.posY(j + 1);
  const int count = std::max(samples, 2);
  // An accepted level never has an empty span; keep a degenerate one as identity.
  if (spanX > 0.0f) {
    for (int i = from; i < count; ++i) nx[i] = (x[i] - shiftX) * w / spanX;
  } else {
    std::copy(x + std::min(from, count), x + count, nx + std::min(from, count));
  }
  if (spanY > 0.0f) {
    for (int i = from; i < samples; ++i) ny[i] = (y[i] - shiftY) * h / spanY;
  } else {
    std::copy(y + std::min(from, samples), y + samples, ny + std::min(from, samples));
  }
  c.levelTables.written(j + 1, from, samples);

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
  level.x0 = c.posX(level.depth)[0];
  level.dx = c.posX(level.depth)[1] - level.x0;
  level.offset = c.scrollOffset;
  return level;
}

bool LeftPress(AppModel& model, Point p, int clientW, int clientH) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  if (!MouseActive(model, r)) return false;
  ChartState& c = model.chart;
  p = ClampToPlot(p, r);
  const int d = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  c.zoomPixelX1[d] = static_cast<float>(p.x);
  c.zoomPixelY1[d] = static_cast<float>(p.y);
  c.zoomX1[d] = static_cast<double>(p.x - r.left) / r.width();
  c.zoomY1[d] = static_cast<double>(p.y - r.top) / r.height();
  c.dragStart = p;
  c.dragging = true;
  c.dragUnmoved = true;
  return true;
}

RubberBand MouseMove(AppModel& model, Point p, int clientW, int clientH) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  ChartState& c = model.chart;
  if (!MouseActive(model, r) || !c.dragging) return {};
  p = ClampToPlot(p, r);
  c.rubberBandShown = true;
  RubberBand band;
  if (p != c.dragStart) {
    c.dragUnmoved = false;
    const Point s = c.dragStart;
    band = {true, std::min(s.x, p.x), std::min(s.y, p.y), std::max(s.x, p.x), std::max(s.y, p.y)};
  }
  return band;
}

ZoomOutcome LeftRelease(AppModel& model, Point p, int clientW, int clientH, ModelObserver& observer) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  if (!MouseActive(model, r)) return ZoomOutcome::kNone;
  ChartState& c = model.chart;
  p = ClampToPlot(p, r);
  const int d = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  c.zoomPixelX2[d] = static_cast<float>(p.x);
  c.zoomPixelY2[d] = static_cast<float>(p.y);
  c.zoomX2[d] = static_cast<double>(p.x - r.left) / r.width();
  c.zoomY2[d] = static_cast<double>(p.y - r.top) / r.height();
  c.rubberBandShown = false;
  c.dragging = false;
  if (c.dragUnmoved) return ZoomOutcome::kNone;

  if (c.zoomPixelX2[d] < c.zoomPixelX1[d]) std::swap(c.zoomPixelX1[d], c.zoomPixelX2[d]);
  if (c.zoomPixelY2[d] < c.zoomPixelY1[d]) std::swap(c.zoomPixelY1[d], c.zoomPixelY2[d]);
  const float Lt = c.valueLabels[d][0];
  const float Lb = c.valueLabels[d][4];
  const float newTop = Lt + (Lb - Lt) * (c.zoomPixelY1[d] - kRangeTop) * kRangeScale;
  const float newBottom = Lb - (Lb - Lt) * (kRangeBottom - c.zoomPixelY2[d]) * kRangeScale;
  if (d < kMaxZoomDepth) {
    c.valueLabels[d + 1][0] = newTop;
    c.valueLabels[d + 1][4] = newBottom;
  }
  const float spacing = c.posX(d)[1] - c.posX(d)[0];
  // A rectangle without width would divide every later position by zero.
  const bool accepted = d<kMaxZoomDepth&& static_cast<double>(newTop - newBottom)> kMinValueSpan &&
                        spacing < kMaxSampleSpacing && c.zoomPixelX2[d] > c.zoomPixelX1[d];
  if (accepted) c.zoomDepth = d + 1;

  c.live = false;
  c.zoomLeftValid = false;
  observer.invalidateChart(false);
  observer.commandsChanged();
  c.dragUnmoved = true;
  return accepted ? ZoomOutcome::kAccepted : ZoomOutcome::kRefused;
}

bool DragWatchTick(AppModel& model, Point pointer, int clientW, int clientH, ModelObserver& observer) {
  ChartState& c = model.chart;
  const bool outside = pointer.y >= clientH - kWatchBelow || pointer.y <= kWatchAbove ||
                       pointer.x >= clientW - kWatchRight || pointer.x <= kWatchLeft;
  if (!outside || !c.dragging) return false;
  observer.invalidateChart(false);
  c.dragging = false;
  c.rubberBandShown = false;
  c.dragUnmoved = true;
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
  const int D = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  const std::time_t s = model.run.intervalSeconds();
  for (int j = 0; j < D; ++j) ComputeLevel(c, j, samples, r);

  const ShownLevel level = CurrentLevel(model);
  if (!level.usable()) return;
  const float dx = level.dx;
  if (!c.zoomLeftValid) {
    c.zoomLeft = TruncToInt(-level.x0 / dx);
    c.zoomLeftValid = true;
  }
  c.timeLabels[0] = model.run.startTime + std::time_t{c.zoomLeft - level.offset} * s;

  // Ten grid lines a whole number of samples apart, about a quarter of the plot.
  const int W = r.width();
  const int m = TruncToInt(static_cast<float>(W) / dx);
  int k = 1;
  if (m >= 2) {
    const int cell = W / std::min(m, 4);
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
  const int W = r.width();
  const int H = r.height();
  for (int n = 0; n < kTimeLabels; ++n) {
    const int x = TruncToInt(dx * static_cast<float>(c.labelSamples[n]) + X0);
    surface.line({x, H}, {x, 0}, kGridPen);
  }

  const int samples = CommittedSamples(model);
  if (samples <= 1) return;
  const float* y = c.posY(level.depth);
  const auto xAt = [&](int i) { return TruncToInt(dx * static_cast<float>(i + o) + X0); };
  // Only the samples across the plot and one beside it on each side.
  const auto [first, end] = SegmentsOnSurface(0, samples - 1, W, xAt);
  TraceBuilder trace(surface, W, H, end - first + 1);
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
