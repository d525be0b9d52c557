// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/cursors.h"

#include <utility>

#include "chart/zoom.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr const char* kClockFormat = "%H:%M:%S";
constexpr float kStatisticsFloor = -400.0f;   // the maximum is sought above this
constexpr float kStatisticsCeiling = 400.0f;  // and the minimum below this
constexpr const char* kNoValue = "----";

std::string ValueText(const AppModel& m, int i) {
  switch (SampleErrorKind(m, i)) {
    case 1:
      return "ERR1";
    case 2:
      return "ERR2";
    default:
      return Format("%.3f ", SampleInCurrentUnit(m, i));
  }
}

std::string TimeText(const AppModel& m, int i) {
  return FormatLocalTime(m.run.sampleTime(i), kClockFormat);
}

// Maximum, minimum and average of the samples lo..hi inclusive, all in the store.
void FillStatistics(const AppModel& m, int lo, int hi, CursorBarTexts& t) {
  float maximum = kStatisticsFloor;
  float minimum = kStatisticsCeiling;
  int maxIndex = -1;
  int minIndex = -1;
  double sum = 0.0;
  for (int i = lo; i <= hi; ++i) {
    const float v = SampleInCurrentUnit(m, i);
    if (v > maximum) {
      maximum = v;
      maxIndex = i;
    }
    if (v < minimum) {
      minimum = v;
      minIndex = i;
    }
    sum += v;
  }
  t.average = Format("%.3f ", sum / (hi - lo + 1));
  // An error sample at an extreme makes the average meaningless; a range where no
  // sample qualifies has no extreme to show.
  auto extreme = [&](int index, std::string& value, std::string& time) {
    if (index < 0) {
      value = kNoValue;
      return;
    }
    value = ValueText(m, index);
    if (SampleErrorKind(m, index) != 0) t.average = kNoValue;
    time = TimeText(m, index);
  };
  extreme(maxIndex, t.maximum, t.maximumTime);
  extreme(minIndex, t.minimum, t.minimumTime);
}

// Cursor B shows only once placed after the latest A.
bool CursorBShown(const ChartState& c) {
  return c.cursorStage == CursorStage::kBothPlaced;
}

float CursorX(const PlotRect& r, const ShownLevel& level, int index) {
  return static_cast<float>(r.left) + level.x0 + level.dx * static_cast<float>(index + level.offset);
}

}  // namespace

bool RightRelease(AppModel& model, int x, int clientW, int clientH, ModelObserver& observer) {
  const PlotRect r = ChartPlotRect(clientW, clientH);
  const ShownLevel level = CurrentLevel(model);
  if (!r.drawable() || !level.usable()) return false;
  ChartState& c = model.chart;
  const float dx = level.dx;
  const float fx = static_cast<float>(x);
  const float left = static_cast<float>(r.left);
  if (!(static_cast<float>(model.store.sampleCount) > (fx - left) / dx)) return false;
  c.cursorsHidden = false;

  // The nearest sample; exactly half way goes to the left one.
  int idx = TruncToInt((fx - level.x0 - left) / dx - static_cast<float>(level.offset));
  float p = CursorX(r, level, idx);
  const float next = CursorX(r, level, idx + 1);
  if (fx - p > next - fx) {
    ++idx;
    p = next;
  }
  if (p < left) {
    ++idx;
    p = CursorX(r, level, idx);
  }
  if (p > static_cast<float>(r.right)) {
    --idx;
    p = CursorX(r, level, idx);
  }

  if (c.cursorStage == CursorStage::kAPlaced) {
    c.cursorB = idx;
    c.cursorStage = CursorStage::kBothPlaced;
  } else {
    c.cursorA = idx;
    c.cursorStage = CursorStage::kAPlaced;
  }
  observer.invalidateChart(false);
  return true;
}

bool ClearCursors(AppModel& model, ModelObserver& observer) {
  ChartState& c = model.chart;
  if (c.cursorStage == CursorStage::kAPlaced) return false;
  c.cursorsHidden = true;
  model.cursorBar.clearTexts();
  model.cursorBar.clearEnabled = false;
  observer.cursorBarChanged();
  observer.invalidateChart(false);
  return true;
}

bool LayoutCursors(AppModel& model) {
  ChartState& c = model.chart;
  if (c.cursorsHidden) return false;
  const CursorBarTexts before = model.cursorBar;
  CursorBarTexts& t = model.cursorBar;

  t.clearEnabled = CursorBShown(c);

  // Every text is rebuilt, so a cursor that no longer lies on a committed sample
  // (for instance after a new run started) shows nothing rather than an old value.
  const int samples = CommittedSamples(model);
  const bool aReadable = c.cursorA >= 0 && c.cursorA < samples;
  const bool bReadable = CursorBShown(c) && c.cursorB >= 0 && c.cursorB < samples;
  t.clearTexts();
  if (aReadable) {
    c.cursorLo = c.cursorA;
    t.aValue = ValueText(model, c.cursorA);
    t.aTime = TimeText(model, c.cursorA);
  }
  if (bReadable) {
    c.cursorHi = c.cursorB;
    t.bValue = ValueText(model, c.cursorB);
    t.bTime = TimeText(model, c.cursorB);
    if (aReadable) {
      if (c.cursorLo > c.cursorHi) std::swap(c.cursorLo, c.cursorHi);
      FillStatistics(model, c.cursorLo, c.cursorHi, t);
    }
  }
  return !(t == before);
}

void DrawCursors(const AppModel& model, const PlotRect& r, DisplayList& surface) {
  const ChartState& c = model.chart;
  const ShownLevel level = CurrentLevel(model);
  if (c.cursorsHidden || !level.usable()) return;
  auto draw = [&](int index, Rgb colour) {
    const int x = TruncToInt(CursorX(r, level, index)) - r.left;
    surface.line({x, 0}, {x, r.height()}, Pen{colour, 1, PenStyle::kSolid});
  };
  draw(c.cursorA, kCursorAColour);
  if (CursorBShown(c)) draw(c.cursorB, kCursorBColour);
}

}  // namespace pv
