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
  return m.view.m_nSample > 0 && r.drawable();
}

// Level j + 1 is level j seen through selection rectangle j.
void ComputeLevel(ChartState& c, int j, int samples, const PlotRect& r) {
  const int W = r.width();
  const int H = r.height();
  float X1 = static_cast<float>(r.left + W * c.g_dZoomX1[j]);
  float X2 = static_cast<float>(r.left + W * c.g_dZoomX2[j]);
  float Y1 = static_cast<float>(r.top + H * c.g_dZoomY1[j]);
  float Y2 = static_cast<float>(r.top + H * c.g_dZoomY2[j]);
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
  c.g_fZoomX1[j] = X1;
  c.g_fZoomX2[j] = X2;
  c.g_fZoomY1[j] = Y1;
  c.g_fZoomY2[j] = Y2;

  const float shiftX = X1 - static_cast<float>(r.left);
  const float shiftY = Y1 - static_cast<float>(r.top);
  const float spanX = X2 - X1;
  const float spanY = Y2 - Y1;
  const float* x = c.posX(j);
  const float* y = c.posY(j);
  float* nx = c.posX(j + 1);
  float* ny = c.posY(j + 1);
  const int count = std::max(samples, 2);
  // An accepted level never has an empty span; keep a degenerate one as identity.
  if (spanX > 0.0f) {
    for (int i = 0; i < count; ++i) nx[i] = (x[i] - shiftX) * static_cast<float>(W) / spanX;
  } else {
    std::copy(x, x + count, nx);
  }
  if (spanY > 0.0f) {
    for (int i = 0; i < samples; ++i) ny[i] = (y[i] - shiftY) * static_cast<float>(H) / spanY;
  } else {
    std::copy(y, y + samples, ny);
  }

  const float Lt = c.g_fValueLabel[j][0];
  const float Lb = c.g_fValueLabel[j][4];
  const float top = Lt + shiftY * (Lb - Lt) / static_cast<float>(H);
  const float bottom = Lb - (static_cast<float>(r.bottom) - Y2) * (Lb - Lt) / static_cast<float>(H);
  const float q = (top - bottom) * 0.25f;
  c.g_fValueLabel[j + 1] = {top, top - q, top - 2 * q, top - 3 * q, top - 4 * q};
}

}  // namespace

ShownLevel CurrentLevel(const AppModel& model) {
  const ChartState& c = model.chart;
  ShownLevel level;
  level.depth = std::clamp(c.g_nZoomDepth, 0, kMaxZoomDepth);
  level.x0 = c.posX(level.depth)[0];
  level.dx = c.posX(level.depth)[1] - level.x0;
  level.offset = c.m_nScrollOffset;
  return level;
}

bool LeftPress(AppModel& model, Point p, int clientW, int clientH) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  if (!MouseActive(model, r)) return false;
  ChartState& c = model.chart;
  p = ClampToPlot(p, r);
  const int d = std::clamp(c.g_nZoomDepth, 0, kMaxZoomDepth);
  c.g_fZoomX1[d] = static_cast<float>(p.x);
  c.g_fZoomY1[d] = static_cast<float>(p.y);
  c.g_dZoomX1[d] = static_cast<double>(p.x - r.left) / r.width();
  c.g_dZoomY1[d] = static_cast<double>(p.y - r.top) / r.height();
  c.g_ptDragStart = c.g_ptDragLast = p;
  c.g_bDragging = true;
  c.g_bDragUnmoved = true;
  return true;
}

RubberBand MouseMove(AppModel& model, Point p, int clientW, int clientH) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  ChartState& c = model.chart;
  if (!MouseActive(model, r) || !c.g_bDragging) return {};
  p = ClampToPlot(p, r);
  c.m_bRubberBand = true;
  RubberBand band;
  if (p != c.g_ptDragStart) {
    c.g_bDragUnmoved = false;
    const Point s = c.g_ptDragStart;
    band = {true, std::min(s.x, p.x), std::min(s.y, p.y), std::max(s.x, p.x), std::max(s.y, p.y)};
  }
  c.g_ptDragLast = p;
  return band;
}

ZoomOutcome LeftRelease(AppModel& model, Point p, int clientW, int clientH, ModelObserver& observer) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  if (!MouseActive(model, r)) return ZoomOutcome::kNone;
  ChartState& c = model.chart;
  p = ClampToPlot(p, r);
  const int d = std::clamp(c.g_nZoomDepth, 0, kMaxZoomDepth);
  c.g_fZoomX2[d] = static_cast<float>(p.x);
  c.g_fZoomY2[d] = static_cast<float>(p.y);
  c.g_dZoomX2[d] = static_cast<double>(p.x - r.left) / r.width();
  c.g_dZoomY2[d] = static_cast<double>(p.y - r.top) / r.height();
  c.m_bRubberBand = false;
  c.g_bDragging = false;
  if (c.g_bDragUnmoved) return ZoomOutcome::kNone;

  if (c.g_fZoomX2[d] < c.g_fZoomX1[d]) std::swap(c.g_fZoomX1[d], c.g_fZoomX2[d]);
  if (c.g_fZoomY2[d] < c.g_fZoomY1[d]) std::swap(c.g_fZoomY1[d], c.g_fZoomY2[d]);
  const float Lt = c.g_fValueLabel[d][0];
  const float Lb = c.g_fValueLabel[d][4];
  const float newTop = Lt + (Lb - Lt) * (c.g_fZoomY1[d] - kRangeTop) * kRangeScale;
  const float newBottom = Lb - (Lb - Lt) * (kRangeBottom - c.g_fZoomY2[d]) * kRangeScale;
  if (d < kMaxZoomDepth) {
    c.g_fValueLabel[d + 1][0] = newTop;
    c.g_fValueLabel[d + 1][4] = newBottom;
  }
  const float spacing = c.posX(d)[1] - c.posX(d)[0];
  // A rectangle without width would divide every later position by zero.
  const bool accepted = d<kMaxZoomDepth&& static_cast<double>(newTop - newBottom)> kMinValueSpan &&
                        spacing < kMaxSampleSpacing && c.g_fZoomX2[d] > c.g_fZoomX1[d];
  if (accepted) c.g_nZoomDepth = d + 1;

  c.g_bLive = false;
  c.g_bZoomLeftValid = false;
  observer.invalidateChart(false);
  observer.commandsChanged();
  c.g_bDragUnmoved = true;
  return accepted ? ZoomOutcome::kAccepted : ZoomOutcome::kRefused;
}

bool DragWatchTick(AppModel& model, Point pointer, int clientW, int clientH, ModelObserver& observer) {
  ChartState& c = model.chart;
  const bool outside = pointer.y >= clientH - kWatchBelow || pointer.y <= kWatchAbove ||
                       pointer.x >= clientW - kWatchRight || pointer.x <= kWatchLeft;
  if (!outside || !c.g_bDragging) return false;
  observer.invalidateChart(false);
  c.g_bDragging = false;
  c.m_bRubberBand = false;
  c.g_bDragUnmoved = true;
  return true;
}

void UndoZoom(AppModel& model, ModelObserver& observer) {
  ChartState& c = model.chart;
  c.g_nZoomDepth = 0;
  c.g_bLive = true;
  c.g_fStep0 = c.g_fStep;
  c.m_nScrollOffset = 0;
  observer.invalidateChart(false);
  observer.commandsChanged();
}

void ScrollTo(AppModel& model, int thumb, ModelObserver& observer) {
  ChartState& c = model.chart;
  if (c.g_bLive) return;
  thumb = std::clamp(thumb, 0, std::max(model.view.m_nSample, 0));
  // The thumb stands at the sample shown at the left edge: m_nZoomLeft - offset.
  c.m_nScrollOffset = c.m_nZoomLeft - thumb;
  observer.invalidateChart(false);
}

ScrollBarState ChartScrollBar(const AppModel& model) {
  const ChartState& c = model.chart;
  ScrollBarState bar;
  bar.maximum = std::max(model.view.m_nSample, 0);
  if (!c.g_bLive) {
    bar.enabled = true;
    bar.position = c.m_nZoomLeft - c.m_nScrollOffset;
  }
  return bar;
}

void PaintZoomedDisplay(AppModel& model, const PlotRect& r, DisplayList& surface) {
  ChartState& c = model.chart;
  const int samples = CommittedSamples(model);
  const int D = std::clamp(c.g_nZoomDepth, 0, kMaxZoomDepth);
  const std::time_t s = model.view.intervalSeconds();
  const int W = r.width();
  const int H = r.height();
  for (int j = 0; j < D; ++j) ComputeLevel(c, j, samples, r);

  const ShownLevel level = CurrentLevel(model);
  if (!level.usable()) return;
  const float dx = level.dx;
  const float X0 = level.x0;
  const int o = level.offset;
  if (!c.g_bZoomLeftValid) {
    c.m_nZoomLeft = TruncToInt(-X0 / dx);
    c.g_bZoomLeftValid = true;
  }
  c.g_timeLabel[0] = model.view.m_timeStart + std::time_t{c.m_nZoomLeft - o} * s;

  // Ten grid lines a whole number of samples apart, about a quarter of the plot.
  const int m = TruncToInt(static_cast<float>(W) / dx);
  int k = 1;
  if (m >= 2) {
    const int cell = W / std::min(m, 4);
    k = TruncToInt(static_cast<float>(cell) / dx);
  }
  for (int n = 0; n < kTimeLabels; ++n) {
    c.g_nLabelSample[n] = c.m_nZoomLeft + k * n;
    const int x = TruncToInt(dx * static_cast<float>(c.g_nLabelSample[n]) + X0);
    c.g_timeLabel[n] = c.g_timeLabel[0] + std::time_t{c.g_nLabelSample[n] - c.m_nZoomLeft} * s;
    surface.line({x, H}, {x, 0}, kGridPen);
  }

  if (samples <= 1) return;
  const float* y = c.posY(D);
  TraceBuilder trace(surface, W, H, samples);
  for (int i = 1; i < samples; ++i) {
    const Point a{TruncToInt(dx * static_cast<float>(i - 1 + o) + X0), TruncToInt(y[i - 1])};
    const Point b{TruncToInt(dx * static_cast<float>(i + o) + X0), TruncToInt(y[i])};
    trace.segment(a, b);
    if (SampleErrorKind(model, i - 1) != 0) trace.errorMark(a);
  }
}

void PaintZoomedTimeLabels(const AppModel& model, const PlotRect& r, DisplayList& mainWindow) {
  const ChartState& c = model.chart;
  const ShownLevel level = CurrentLevel(model);
  if (!level.usable()) return;
  for (int n = 0; n < kTimeLabels; ++n) {
    const float x =
        level.dx * static_cast<float>(c.g_nLabelSample[n]) + static_cast<float>(r.left) + level.x0;
    if (x >= static_cast<float>(r.left) && x <= static_cast<float>(r.right)) {
      mainWindow.text({TruncToInt(x), r.bottom + 40}, c.m_strTimeLabel[n], FontRole::kChart, kTextColour,
                      Brush::ButtonFace());
    }
  }
}

}  // namespace pv
