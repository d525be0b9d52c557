// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/chart_layout.h"

#include <algorithm>

#include "chart/chart_geometry.h"
#include "chart/cursors.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr double kTwelfth = 1.0 / 12.0;  // grid cells across and down the plot
constexpr int kVerticalGridEmpty = 13;
constexpr int kVerticalGridLive = 14;
constexpr int kHorizontalGrid = 12;
constexpr const char* kClockFormat = "%H:%M:%S";

// The time-label band on the main window, under the plot.
constexpr int kTimeBandX = 228;
constexpr int kTimeBandDy = 31;
constexpr int kTimeBandExtraWidth = 140;
constexpr int kTimeBandHeight = 29;
constexpr int kTimeLabelDy = 40;

void DrawGrid(const ChartState& c, int samples, int width, int height, int k, DisplayList& plot) {
  if (samples == 0) {
    for (int i = 0; i < kVerticalGridEmpty; ++i) {
      const int x = TruncToInt(i * width * kTwelfth);
      plot.line({x, height}, {x, 0}, kGridPen);
    }
  } else if (c.live) {
    for (int i = 0; i < kVerticalGridLive; ++i) {
      const int x = TruncToInt(static_cast<float>(k * i) * c.step);
      plot.line({x, height}, {x, 0}, kGridPen);
    }
  }
  // The last one lies on the bottom edge, just outside the surface.
  for (int i = 1; i <= kHorizontalGrid; ++i) {
    const int y = TruncToInt(i * height * kTwelfth);
    plot.line({0, y}, {width, y}, kGridPen);
  }
}

// Samples per live grid cell: as many whole steps as fit in a twelfth of the width.
int SamplesPerCell(int width, float step) {
  return TruncToInt(static_cast<float>(width / 12) / step);
}

// Level-0 heights: one tenth of each sample's own full scale reaches from the middle
// to the edge, so samples of different units share one vertical scale.
void ComputeLevelZeroHeights(AppModel& m, int samples, int height) {
  const float half = static_cast<float>(height / 2);
  float* y = m.chart.levels.posY(0);
  const float* value = m.store.values.data();
  const float* fullScale = m.store.fullScaleAt.data();
  LevelTables<kZoomLevels>& tables = m.chart.levels.tables;
  for (int j = 0; j < samples; ++j) tables.writeLevelZero(y, j, half - 10.0f * value[j] * half / fullScale[j]);
}

// The chart never scrolls: when the trace reaches the right edge the run is squeezed
// into eleven twelfths of the width, leaving room for new samples. The test is made
// once per trace segment, so a paint that comes late may compress more than once.
// Returns whether the window was compressed.
bool CompressLiveWindow(ChartState& c, int samples, int width) {
  bool compressed = false;
  for (int i = 1; i < samples && samples >= c.windowSamples + 1; ++i) {
    c.step = static_cast<float>((width - width * kTwelfth) / c.windowSamples);
    c.windowSamples = TruncToInt(static_cast<float>(width) / c.step + 1.0);
    compressed = true;
  }
  return compressed;
}

// The live trace as the layout left the step: one segment per pair of samples, a
// cross at the start of each segment that begins on an error sample.
void DrawLiveTrace(const AppModel& m, int samples, int width, int height, DisplayList& plot) {
  const ChartState& c = m.chart;
  const float* y = c.levels.posY(0);
  TraceBuilder trace(plot, width, height, samples);
  for (int i = 1; i < samples; ++i) {
    const Point a{TruncToInt(static_cast<float>(i - 1) * c.step), TruncToInt(y[i - 1])};
    const Point b{TruncToInt(static_cast<float>(i) * c.step), TruncToInt(y[i])};
    trace.segment(a, b);
    if (SampleErrorKind(m, i - 1) != 0) trace.errorMark(a);
  }
}

// Level 0 of the zoom tables keeps one step for all samples: the live one, or while
// zoomed the one of the window size frozen at the moment of zooming.
void ComputeLevelZeroPositions(ChartState& c, int samples, int width) {
  if (c.live) {
    c.levelZeroStep = c.step;
    c.levelZeroWindowSamples = c.windowSamples;
  } else {
    c.levelZeroStep = static_cast<float>(width) / static_cast<float>(std::max(c.levelZeroWindowSamples - 1, 1));
  }
  // Samples 0 and 1 always get an x, so that every level has a defined spacing.
  float* x = c.levels.posX(0);
  const int count = std::max(samples, 2);
  for (int i = 0; i < count; ++i) c.levels.tables.writeLevelZero(x, i, static_cast<float>(i) * c.levelZeroStep);
}

void ComputeLiveValueLabels(AppModel& m) {
  ChartState& c = m.chart;
  c.valueLabels[0] = LiveValueLabels(m.run.fullScale);
  for (int k = 0; k < kValueLabels; ++k) c.printValueLabels[k] = FormatSigned6Cut(c.valueLabels[0][k]);
}

void DrawValueLabels(const ChartState& c, int height, Surface& left, Surface& right) {
  const int depth = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  const int h = height + kStripOverhang;
  const int ys[kValueLabels] = {0, (h - 15) / 4, (h - 8) / 2, 3 * ((h - 5) / 4), h - 15};
  for (int k = 0; k < kValueLabels; ++k) {
    const int indent = TruncToInt(ValueLabelIndentClass(c.valueLabels[depth][k]) * 7.5);
    const Brush background = Brush::Solid(kStripTextBackground);
    left.list.text({indent, ys[k]}, c.valueLabelTexts[k], FontRole::kChart, kTextColour, background);
    right.list.text({3, ys[k]}, c.valueLabelTexts[k], FontRole::kChart, kTextColour, background);
  }
}

void DrawLiveTimeLabels(const ChartState& c, const PlotRect& r, int k, DisplayList& main) {
  const int y = r.bottom + kTimeLabelDy;
  const int factors[4] = {12, 9, 6, 3};
  for (int j = 0; j < 4; ++j) {
    const int x = TruncToInt(static_cast<float>(k) * c.step * static_cast<float>(factors[j]) +
                             static_cast<float>(r.left));
    main.text({x, y}, c.timeLabelTexts[4 - j], FontRole::kChart, kTextColour, Brush::ButtonFace());
  }
  main.text({r.left, y}, c.timeLabelTexts[0], FontRole::kChart, kTextColour, Brush::ButtonFace());
}

}  // namespace

std::array<float, kValueLabels> LiveValueLabels(float fullScale) {
  const float top = 0.1f * fullScale;
  const float q = (top - (-0.1f * fullScale)) * 0.25f;
  return {2 * q, q, 0.0f, -q, -2 * q};
}

int ValueLabelIndentClass(float v) {
  if (v >= 0.0f) return v < 10.0f ? 3 : (v < 100.0f ? 2 : 1);
  if (v > -10.0f) return 2;
  if (v > -100.0f) return 1;
  return 0;
}

ChartLayoutResult LayoutChart(AppModel& m, int clientW, int clientH) {
  ChartLayoutResult result;
  ChartState& c = m.chart;
  const PlotRect r = ChartPlotRect(clientW, clientH);
  const int width = r.width();
  const int samples = CommittedSamples(m);
  const bool drawable = r.drawable();

  // Without a plot there is no step to compute: geometry waits for a usable size,
  // while labels and readouts still follow the store.
  int k = 0;
  if (drawable) {
    c.step = static_cast<float>(width) / static_cast<float>(c.windowSamples - 1);
    k = SamplesPerCell(width, c.step);
    ComputeLevelZeroHeights(m, samples, r.height());
    result.repaintWithErase = CompressLiveWindow(c, samples, width);
    ComputeLevelZeroPositions(c, samples, width);
  }

  ComputeLiveValueLabels(m);

  // The clock times of grid lines 0, 3, 6, 9 and 12, by the cell of the step this
  // paint started with.
  if (drawable && c.live) {
    const std::time_t s = m.run.intervalSeconds();
    c.timeLabels[0] = m.run.startTime;
    for (int j = 1; j <= 4; ++j) c.timeLabels[j] = m.run.startTime + std::time_t{3} * j * k * s;
  }
  if (drawable && !c.live) LayoutZoomedDisplay(m, r);

  for (int j = 0; j < kTimeLabels; ++j) c.timeLabelTexts[j] = FormatLocalTime(c.timeLabels[j], kClockFormat);
  const int depth = std::clamp(c.zoomDepth, 0, kMaxZoomDepth);
  for (int j = 0; j < kValueLabels; ++j) c.valueLabelTexts[j] = Format("%.4f", c.valueLabels[depth][j]);

  result.cursorBarChanged = LayoutCursors(m);
  return result;
}

ChartFrame DrawChart(const AppModel& m, int clientW, int clientH) {
  ChartFrame frame;
  const ChartState& c = m.chart;
  const PlotRect r = ChartPlotRect(clientW, clientH);
  const int width = r.width();
  const int height = r.height();
  const int samples = CommittedSamples(m);
  const bool drawable = r.drawable();
  frame.plotDrawn = drawable;
  const int k = drawable ? SamplesPerCell(width, c.step) : 0;
  if (drawable) {
    frame.plot = Surface{r.left, r.top, width, height, Brush::Solid(kPlotBackground), {}};
    frame.leftStrip = Surface{kLabelStripX,       r.top - kStripOverhang, kLabelStripWidth,
                              height + kStripOverhang, Brush::ButtonFace(),    {}};
    frame.rightStrip = Surface{
        r.right, r.top - kStripOverhang, kRightStripWidth, height + kStripOverhang, Brush::ButtonFace(), {}};
    DrawGrid(c, samples, width, height, k, frame.plot.list);
    if (c.live)
      DrawLiveTrace(m, samples, width, height, frame.plot.list);
    else
      DrawZoomedDisplay(m, r, frame.plot.list);
    if (samples >= 1) DrawValueLabels(c, height, frame.leftStrip, frame.rightStrip);
  }

  if (r.bottom > r.top && width + kTimeBandExtraWidth > 0) {
    frame.mainWindow.fill(kTimeBandX, r.bottom + kTimeBandDy, width + kTimeBandExtraWidth, kTimeBandHeight,
                          Brush::ButtonFace());
  }
  if (drawable && samples >= 1) {
    if (c.live)
      DrawLiveTimeLabels(c, r, k, frame.mainWindow);
    else
      DrawZoomedTimeLabels(m, r, frame.mainWindow);
  }
  if (drawable) DrawCursors(m, r, frame.plot.list);
  return frame;
}

}  // namespace pv
