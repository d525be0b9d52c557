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

// What the two kinds of page draw, gathered from their different stores.
struct PageData {
  int n = 0;
  const float* value = nullptr;
  const float* fullScale = nullptr;
  std::string unitName;
  std::array<std::string, 4> valueLabels;
  std::array<std::string, 5> timeLabels;
  const std::string* path = nullptr;  // logger page only
};

void Label(DisplayList& list, Point at, std::string text) {
  list.text(at, std::move(text), FontRole::kPrintLabel, kPrintInk, Brush::Solid(kPrintPaper));
}

// A time of day given in seconds, wrapped into one day like a clock.
std::string TimeOfDayText(long long seconds) {
  const long long s = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  return Format("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

// Quarter points of the time axis: 0, N/4, N/2, 3(N/4) points, in whole-number steps.
std::array<long long, 4> QuarterPoints(int n) {
  const long long quarter = n / 4;
  return {0, quarter, n / 2, 3 * quarter};
}

bool AllEmpty(const auto& labels) {
  return std::all_of(labels.begin(), labels.end(), [](const std::string& s) { return s.empty(); });
}

PageData RealTimeData(const AppModel& m) {
  PageData d;
  d.n = std::min(m.store.sampleCount, kStoreCapacity);
  d.value = m.store.values.data();
  d.fullScale = m.store.fullScaleAt.data();
  d.unitName = m.run.unitName;
  // The labels of the latest chart paint; before the first paint, the same labels the
  // chart would compute for the current unit.
  std::array<std::string, kValueLabels> y = m.chart.printValueLabels;
  if (AllEmpty(y)) {
    const auto values = LiveValueLabels(m.run.fullScale);
    for (int k = 0; k < kValueLabels; ++k) y[k] = FormatSigned6Cut(values[k]);
  }
  d.valueLabels = {y[0], y[1], y[3], y[4]};

  const std::time_t start = m.run.startTime;
  const std::time_t s = m.run.intervalSeconds();
  const auto q = QuarterPoints(d.n);
  for (int j = 0; j < 4; ++j) d.timeLabels[j] = FormatLocalTime(start + q[j] * s, kClockFormat);
  d.timeLabels[4] = FormatLocalTime(start + std::time_t{d.n} * s, kClockFormat);
  return d;
}

PageData LoggerData(const AppModel& m) {
  const LoggerStore& log = m.logger;
  PageData d;
  d.n = std::min(log.recordCount, kStoreCapacity);
  d.value = log.values.data();
  d.fullScale = log.fullScaleAt.data();
  d.unitName = log.unitName;
  d.valueLabels = m.loggerView.printValueLabels;
  if (AllEmpty(d.valueLabels)) d.valueLabels = LoggerFullViewPrintLabels(log);
  d.path = &m.loggerView.shownPath;

  const long long start = 3600LL * log.startHour + 60LL * log.startMinute + log.startSecond;
  const long long s = log.intervalMs / 1000;
  const auto q = QuarterPoints(d.n);
  d.timeLabels[0] = log.startText;
  for (int j = 1; j < 4; ++j) d.timeLabels[j] = TimeOfDayText(start + q[j] * s);
  d.timeLabels[4] = log.endText;
  return d;
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

std::array<std::string, 4> LoggerFullViewPrintLabels(const LoggerStore& log) {
  const int n = std::min(log.recordCount, kStoreCapacity);
  const float fullScale = n > 0 ? log.fullScaleAt[n - 1] : 0.0f;
  // Products in double, each rounded to a float, as the logger graph computes its range.
  const float top = static_cast<float>(fullScale * 0.1);
  const float bottom = static_cast<float>(fullScale * -0.1);
  return {FormatSigned6Cut(top), FormatSigned6Cut(static_cast<float>(top * 0.5)),
          FormatSigned6Cut(static_cast<float>(top * -0.5)), FormatSigned6Cut(bottom)};
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
  const PageData d = page.kind == PrintPageKind::kRealTime ? RealTimeData(m) : LoggerData(m);
  DrawTrace(d, list);
  DrawLabels(d, now, list);
  DrawGrid(list);
  Label(list, {-770, 610}, "0");
  return page;
}

}  // namespace pv
