// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_page.h"

#include <algorithm>
#include <cmath>

#include "chart/chart_geometry.h"
#include "chart/chart_layout.h"
#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr const char* kTitle = " Pressure Graph ";
constexpr const char* kClockFormat = "%H:%M:%S";
constexpr const char* kDateOfPrintingFormat = "%Y-%m-%d  %H:%M";
constexpr int kSecondsPerDay = 24 * 60 * 60;

constexpr int kValueLabelX = -800;
constexpr int kValueLabelY[4] = {1003, 803, 415, 215};
constexpr int kTimeLabelY = 195;
constexpr int kTimeLabelX[5] = {-750, -580, -410, -240, -70};

// What a page draws. Both kinds of page come through here: a run is described as the
// data-logger file it saves as would describe it, so that the window's page of a run
// and the page of its saved file are the same page.
struct PageRecords {
  int n = 0;
  const float* value = nullptr;
  const float* fullScale = nullptr;
  std::string unitName;
  float labelFullScale = 0.0f;  // the full scale of the unit the value labels are in
  std::string startText, endText;
  long long startSecondOfDay = 0;
  long long intervalSeconds = 0;
  const std::string* path = nullptr;  // logger page only
};

struct PageData {
  int n = 0;
  const float* value = nullptr;
  const float* fullScale = nullptr;
  std::string unitName;
  std::array<std::string, 4> valueLabels;
  std::array<std::string, 5> timeLabels;
  const std::string* path = nullptr;
};

void Label(DisplayList& list, Point at, std::string text) {
  list.text(at, std::move(text), FontRole::kPrintLabel, kPrintInk, Brush::Solid(kPrintPaper));
}

// A time of day given in seconds, wrapped into one day like a clock.
std::string TimeOfDayText(long long seconds) {
  const long long s = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  return Format("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

// The frame's edges stand at +-10 % of the full scale and the quarter lines at +-5 %:
// the labels name those values as the live chart computes them, so psi reads +5.200
// (a product formed in double and rounded to a float would fall just under 5.2 and be
// cut to +5.199).
std::array<std::string, 4> ValueLabelsFor(float fullScale) {
  const auto v = LiveValueLabels(fullScale);
  return {FormatSigned6Cut(v[0]), FormatSigned6Cut(v[1]), FormatSigned6Cut(v[3]), FormatSigned6Cut(v[4])};
}

// Under the frame: the first record's time at the left edge, the last record's time at
// the right edge, where the trace ends, and between them the times of records N/4, N/2
// and 3(N/4) in whole-number steps.
std::array<std::string, 5> TimeLabelsFor(const PageRecords& r) {
  const long long quarter = r.n / 4;
  const long long points[3] = {quarter, r.n / 2, 3 * quarter};
  std::array<std::string, 5> t;
  t[0] = r.startText;
  for (int j = 0; j < 3; ++j) t[j + 1] = TimeOfDayText(r.startSecondOfDay + points[j] * r.intervalSeconds);
  t[4] = r.endText;
  return t;
}

PageData DataOf(PageRecords r) {
  PageData d;
  d.n = r.n;
  d.value = r.value;
  d.fullScale = r.fullScale;
  d.valueLabels = ValueLabelsFor(r.labelFullScale);
  d.timeLabels = TimeLabelsFor(r);
  d.unitName = std::move(r.unitName);
  d.path = r.path;
  return d;
}

// The run as its data-logger file holds it: the clock texts of its first and last
// sample, and the start as a time of day. The labels follow the unit of the latest
// reading, as the chart's do.
PageRecords RunRecords(const AppModel& m) {
  PageRecords r;
  r.n = std::min(m.store.sampleCount, kStoreCapacity);
  r.value = m.store.values.data();
  r.fullScale = m.store.fullScaleAt.data();
  r.unitName = m.run.unitName;
  r.labelFullScale = m.run.fullScale;
  r.startText = FormatLocalTime(m.run.startTime, kClockFormat);
  r.endText = FormatLocalTime(m.run.sampleTime(std::max(r.n - 1, 0)), kClockFormat);
  std::tm start{};
  if (localtime_r(&m.run.startTime, &start))
    r.startSecondOfDay = 3600LL * start.tm_hour + 60LL * start.tm_min + start.tm_sec;
  r.intervalSeconds = m.run.intervalSeconds();
  return r;
}

// The loaded file as it was stored; the labels are in the unit of its last record.
PageRecords FileRecords(const AppModel& m) {
  const LoggerStore& log = m.logger;
  PageRecords r;
  r.n = std::min(log.recordCount, kStoreCapacity);
  r.value = log.values.data();
  r.fullScale = log.fullScaleAt.data();
  r.unitName = log.unitName;
  r.labelFullScale = r.n > 0 ? log.fullScaleAt[r.n - 1] : 0.0f;
  r.startText = log.startText;
  r.endText = log.endText;
  r.startSecondOfDay = 3600LL * log.startHour + 60LL * log.startMinute + log.startSecond;
  r.intervalSeconds = log.intervalMs / 1000;
  r.path = &m.loggerView.shownPath;
  return r;
}

// Each point sits at 400/fullScale x value x 10 above the zero line, so one tenth of
// its own full scale reaches the frame's edge whatever its unit. Nothing is clipped.
// A damaged file may give a point no finite height (a zero full scale); the segments
// that would touch it are left out rather than drawn towards infinity.
void DrawTrace(const PageData& d, DisplayList& list) {
  if (d.n < 2) return;
  const float step = 740.0f / static_cast<float>(d.n - 1);
  auto at = [&](int i) {
    const float x = static_cast<float>(i) * step - 750.0f;
    const float y = 400.0f / d.fullScale[i] * d.value[i] * 10.0f + 600.0f;
    return std::pair{std::isfinite(y), Point{TruncToInt(x), TruncToInt(y)}};
  };
  auto [okFrom, from] = at(0);
  for (int i = 1; i < d.n; ++i) {
    auto [okTo, to] = at(i);
    // The wide pen is drawn as separate segments: a wide polyline is far slower to paint.
    if (okFrom && okTo) list.line(from, to, kPrintFramePen);
    okFrom = okTo;
    from = to;
  }
}

void DrawLabels(const PageData& d, std::time_t now, DisplayList& list) {
  Label(list, {-750, 1025}, "pressure:");
  Label(list, {-680, 1025}, d.unitName);
  if (IsSquaredUnit(d.unitName)) Label(list, {-650, 1030}, "2");
  for (int k = 0; k < 4; ++k) Label(list, {kValueLabelX, kValueLabelY[k]}, d.valueLabels[k]);
  if (d.path) Label(list, {-340, 1050}, *d.path);
  Label(list, {-200, 100}, FormatLocalTime(now, kDateOfPrintingFormat));
  for (int j = 0; j < 5; ++j) Label(list, {kTimeLabelX[j], kTimeLabelY}, d.timeLabels[j]);
}

void DrawGrid(DisplayList& list) {
  for (int y = 300; y <= 900; y += 100) list.line({kPrintFrameRight, y}, {-755, y}, kPrintGridPen);
  for (int x : {-565, -380, -195}) list.line({x, kPrintFrameBottom}, {x, kPrintFrameTop}, kPrintGridPen);
}

}  // namespace

PrintPageKind ChoosePrintPage(const AppModel& m) {
  if (m.loggerView.graphClosed) {
    return m.store.sampleCount >= 1 ? PrintPageKind::kRealTime : PrintPageKind::kFixedOnly;
  }
  if (!m.loggerView.graphClosed && m.logger.loaded && m.logger.recordCount > 1) {
    return PrintPageKind::kLogger;
  }
  return PrintPageKind::kFixedOnly;
}

PrintPage BuildPrintPage(const AppModel& m, std::time_t now) {
  PrintPage page;
  page.kind = ChoosePrintPage(m);
  DisplayList& list = page.list;

  list.line({-800, 1100}, {-20, 1100}, kPrintRulePen);
  list.text({-510, 1120}, kTitle, FontRole::kPrintTitle, kPrintInk, Brush::Solid(kPrintPaper));

  const int l = kPrintFrameLeft, r = kPrintFrameRight, b = kPrintFrameBottom, t = kPrintFrameTop;
  list.line({l, b}, {r, b}, kPrintFramePen);
  list.line({l, b}, {l, t}, kPrintFramePen);
  list.line({l, t}, {r, t}, kPrintFramePen);
  list.line({r, b}, {r, t}, kPrintFramePen);

  if (page.kind == PrintPageKind::kFixedOnly) {
    DrawGrid(list);
    return page;
  }
  const PageData d = DataOf(page.kind == PrintPageKind::kRealTime ? RunRecords(m) : FileRecords(m));
  DrawTrace(d, list);
  DrawLabels(d, now, list);
  DrawGrid(list);
  Label(list, {-770, 610}, "0");
  return page;
}

}  // namespace pv
