// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_hold_window.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "logger/logger_geometry.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr double kDay = 86400.0;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Seconds from the run's start of "90", "90.5" or "10:02:30" (the hour may have one digit).
std::optional<double> OffsetOf(std::string_view text, const LoggerStore& store) {
  const char* end = text.data() + text.size();
  if (text.find(':') == std::string_view::npos) {
    double seconds = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
    if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(seconds) || seconds < 0)
      return std::nullopt;
    return seconds;
  }
  const std::optional<int> clock = ParseClockTime(text);
  if (!clock) return std::nullopt;
  const double start = static_cast<double>(LoggerStartSeconds(store));
  return std::fmod(std::fmod(*clock - start, kDay) + kDay, kDay);
}

}  // namespace

std::optional<RecordSpan> LoggerZoomedSpan(const AppModel& m) {
  const LoggerGraphState& g = m.loggerGraph;
  const int records = LoggerRecords(m);
  if (!LoggerZoomShown(g, records)) return std::nullopt;
  const ZoomPlot r = LoggerPlotOf(g);
  const float* x = g.levels.posX(std::min(g.zoomLevel, kMaxZoomDepth));
  // Record i is drawn where position i + shift lies; positions grow with i.
  const int sh = g.scrollShift;
  const int begin = std::max(0, -sh);
  const int end = std::min(records - 1, records - sh - 1);
  std::optional<RecordSpan> span;
  for (int i = begin; i <= end; ++i) {
    const float at = x[i + sh];
    if (!(at >= r.left) || !(at <= r.right)) continue;
    if (!span) span = RecordSpan{i, i};
    span->last = i;
  }
  return span;
}

std::optional<RecordSpan> LoggerSpanOfTimes(const LoggerStore& store, std::string_view from,
                                            std::string_view to, std::string* problem) {
  auto fail = [problem](std::string why) -> std::optional<RecordSpan> {
    if (problem) *problem = std::move(why);
    return std::nullopt;
  };
  const int count = std::clamp(store.recordCount, 0, kStoreCapacity);
  if (count <= 0) return fail("the file holds no samples");
  const long long interval = LoggerIntervalSeconds(store);
  if (interval <= 0)
    return fail("the file's sample interval is below a second: no window can be chosen by time");
  from = Trimmed(from);
  to = Trimmed(to);
  const std::optional<double> start = from.empty() ? std::optional(0.0) : OffsetOf(from, store);
  if (!start) return fail("the start needs a time HH:MM:SS or seconds from the start");
  std::optional<double> stop;
  if (!to.empty()) {
    stop = OffsetOf(to, store);
    if (!stop) return fail("the end needs a time HH:MM:SS or seconds from the start");
  }
  // In whole samples, kept within -1..count before they become indices; a tiny margin
  // so that 90 s at a 30 s interval is sample 3 however the division rounds.
  const auto clamp = [count](double samples) {
    return std::clamp(samples, -1.0, static_cast<double>(count));
  };
  const double first = clamp(std::ceil(*start / static_cast<double>(interval) - 1e-9));
  double last = stop ? clamp(std::floor(*stop / static_cast<double>(interval) + 1e-9)) : count - 1.0;
  if (first > count - 1) return fail("the window starts after the file's last sample");
  last = std::min(last, count - 1.0);
  if (last < first) return fail("the window holds no sample");
  return RecordSpan{static_cast<int>(first), static_cast<int>(last)};
}

}  // namespace pv
