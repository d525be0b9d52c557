// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_marks.h"

#include <cmath>

#include "chart/zoom.h"
#include "logger/logger_geometry.h"

namespace pv {
namespace {

// A pressure's height on a plot whose middle is zero and whose edges are a tenth of
// the full scale, as both charts scale their level-0 trace.
std::optional<int> HeightOf(double value, double fullScale, double mid, double half) {
  if (!(fullScale > 0.0) || !std::isfinite(value)) return std::nullopt;
  return TruncToInt(mid - 10.0 * value * half / fullScale);
}

// The lines of the marks between left and right; y of a pressure from yOf.
template <class YOf>
void DrawMarks(const HoldMarks& marks, int xFirst, int xLast, int top, int bottom, int left, int right,
               YOf yOf, DisplayList& out) {
  const Pen windowPen{kHoldWindowColour, 1, PenStyle::kSolid};
  out.line({xFirst, top}, {xFirst, bottom}, windowPen);
  out.line({xLast, top}, {xLast, bottom}, windowPen);
  auto across = [&](const std::optional<double>& value, const Pen& pen) {
    if (!value) return;
    if (const std::optional<int> y = yOf(*value); y && *y >= top && *y <= bottom)
      out.line({left, *y}, {right, *y}, pen);
  };
  const Pen bandPen{kHoldBandColour, 1, PenStyle::kDotted};
  across(marks.bandLow, bandPen);
  across(marks.bandHigh, bandPen);
  across(marks.minimum, Pen{kHoldMinimumColour, 1, PenStyle::kSolid});
}

}  // namespace

HoldMarks HoldMarksOf(const HoldCriteria& criteria, const HoldOutcome& outcome) {
  HoldMarks marks;
  marks.minimum = criteria.minimum;
  if (outcome.error != HoldError::None) {
    marks.firstSample = criteria.firstSample;
    marks.lastSample = criteria.lastSample < 0 ? criteria.firstSample : criteria.lastSample;
    return marks;
  }
  const HoldResult& r = outcome.result;
  marks.firstSample = r.firstSample;
  marks.lastSample = r.lastSample;
  marks.bandLow = r.start - r.allowedAmount;
  marks.bandHigh = r.start + r.allowedAmount;
  return marks;
}

void DrawHoldMarksOnChart(const AppModel& model, const PlotRect& plot, const HoldMarks& marks,
                          DisplayList& out) {
  const int samples = CommittedSamples(model);
  const ShownLevel level = CurrentLevel(model);
  if (!plot.drawable() || !level.usable() || marks.firstSample < 0 || marks.firstSample >= samples) return;
  auto xOf = [&](int i) { return TruncToInt(level.x0 + level.dx * static_cast<float>(i + level.offset)); };
  const double fullScale = model.store.fullScaleAt[marks.firstSample];
  const double half = static_cast<double>(plot.height() / 2);
  const bool live = model.chart.live;
  auto yOf = [&](double v) { return live ? HeightOf(v, fullScale, half, half) : std::nullopt; };
  DrawMarks(marks, xOf(marks.firstSample), xOf(std::min(marks.lastSample, samples - 1)), 0, plot.height(), 0,
            plot.width(), yOf, out);
}

void DrawHoldMarksOnLoggerGraph(const AppModel& model, const HoldMarks& marks, DisplayList& out) {
  const LoggerGraphState& g = model.loggerGraph;
  const int records = LoggerRecords(model);
  if (!g.fullView || marks.firstSample < 0 || marks.firstSample >= records) return;
  const ZoomPlot r = LoggerPlotOf(g);
  const float* x = g.levels.posX(0);
  const double fullScale = model.logger.fullScaleAt[marks.firstSample];
  const double mid = (r.top + r.bottom) / 2.0;
  const double half = r.H() / 2.0;
  auto yOf = [&](double v) { return HeightOf(v, fullScale, mid, half); };
  DrawMarks(marks, TruncToInt(x[marks.firstSample]), TruncToInt(x[std::min(marks.lastSample, records - 1)]),
            TruncToInt(r.top), TruncToInt(r.bottom), TruncToInt(r.left), TruncToInt(r.right), yOf, out);
}

}  // namespace pv
