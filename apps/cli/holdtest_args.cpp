// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest_args.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "text_format.h"

namespace pv::cli {
namespace {

constexpr double kDay = 86400.0;

std::optional<double> Number(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// "90", "90.5" or "11:21:30" (the hour may have one digit).
std::optional<RunTime> ParseRunTime(std::string_view text) {
  if (text.find(':') == std::string_view::npos) {
    const std::optional<double> seconds = Number(text);
    if (!seconds || *seconds < 0) return std::nullopt;
    return RunTime{false, *seconds};
  }
  const std::optional<int> clock = ParseClockTime(text);
  if (!clock) return std::nullopt;
  return RunTime{true, static_cast<double>(*clock)};
}

// One option's value; returns the problem, empty when it was taken.
std::string TakeValue(std::string_view option, std::string_view v, HoldTestArgs& r) {
  if (option == "--from" || option == "--to") {
    const std::optional<RunTime> t = ParseRunTime(v);
    if (!t)
      return std::string(option) + " needs seconds from the start or a time HH:MM:SS, not '" +
             std::string(v) + "'";
    (option == "--from" ? r.from : r.to) = t;
    return {};
  }
  if (option == "--record") {
    r.recordPath = v;
    return v.empty() ? "--record needs a file name" : "";
  }
  if (option == "--pdf") {
    r.pdf = std::string(v);
    return v.empty() ? "--pdf needs a file name" : "";
  }
  const std::optional<double> n = Number(v);
  if (option == "--checkpoints") {
    if (!n || *n != std::trunc(*n) || *n < kMinCheckpoints || *n > kMaxCheckpoints)
      return "--checkpoints needs a whole number from 2 to 8, not '" + std::string(v) + "'";
    r.checkpoints = static_cast<int>(*n);
  } else if (option == "--minimum") {
    if (!n) return "--minimum needs a pressure, not '" + std::string(v) + "'";
    r.minimum = n;
  } else if (option == "--duration") {
    if (!n || *n < 0) return "--duration needs a number of seconds, not '" + std::string(v) + "'";
    r.duration = n;
  } else {
    if (!n || *n < 0)
      return std::string(option) + " needs a number of 0 or more, not '" + std::string(v) + "'";
    if (r.allowedKind) return "give one allowed change: --allowed-percent X or --allowed X";
    r.allowedKind = option == "--allowed" ? AllowedKind::Amount : AllowedKind::Percent;
    r.allowed = *n;
  }
  return {};
}

// Seconds from the run's start of a --from or --to. A time of day is taken at its first
// occurrence from the start on, so a run across midnight reads as the clock showed it.
double Offset(const RunTime& t, const LoggerStore& store) {
  if (!t.timeOfDay) return t.seconds;
  const double start = store.startHour * 3600.0 + store.startMinute * 60.0 + store.startSecond;
  return std::fmod(std::fmod(t.seconds - start, kDay) + kDay, kDay);
}

}  // namespace

std::string ParseHoldTestArgs(Args args, HoldTestArgs& r) {
  constexpr std::string_view kValued[] = {"--from",    "--to",      "--duration",    "--allowed-percent",
                                          "--allowed", "--minimum", "--checkpoints", "--record",
                                          "--pdf"};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--json") {
      r.json = true;
    } else if (a == "--save") {
      r.save = true;
    } else if (std::find(std::begin(kValued), std::end(kValued), a) != std::end(kValued)) {
      if (i + 1 >= args.size()) return std::string(a) + " needs a value";
      if (std::string problem = TakeValue(a, args[++i], r); !problem.empty()) return problem;
    } else if (a.starts_with("-") && a != "-") {
      return "unknown option '" + std::string(a) + "'";
    } else if (r.path.empty()) {
      r.path = a;
    } else {
      return "more than one file given";
    }
  }
  if (r.path.empty()) return "no file given";
  if (r.to && r.duration) return "--to and --duration exclude each other";
  if (!r.allowedKind) return "no criterion given (--allowed-percent X or --allowed X)";
  return {};
}

std::string ChooseWindow(const HoldTestArgs& args, const LoggerStore& store, HoldCriteria& criteria) {
  const int count = store.recordCount;
  if (count <= 0) return "the run holds no samples";
  const int interval = store.intervalMs / 1000;
  const bool chosen = args.from || args.to || args.duration;
  if (chosen && interval <= 0)
    return "the file's sample interval is below a second: no window can be chosen by time";
  // In whole samples, kept within -1..count before they become indices; a tiny margin so
  // that 90 s at a 30 s interval is sample 3 however the division rounds.
  const auto clamp = [count](double samples) {
    return std::clamp(samples, -1.0, static_cast<double>(count));
  };
  const double from = args.from ? Offset(*args.from, store) : 0.0;
  double first = 0.0, last = count - 1;
  if (args.from) first = clamp(std::ceil(from / interval - 1e-9));
  if (args.to) last = clamp(std::floor(Offset(*args.to, store) / interval + 1e-9));
  if (args.duration) last = clamp(std::floor((from + *args.duration) / interval + 1e-9));
  if (first > count - 1) return "the window starts after the run's last sample";
  last = std::min(last, count - 1.0);
  if (last < first) return "the window holds no sample";
  criteria.firstSample = static_cast<int>(first);
  criteria.lastSample = static_cast<int>(last);
  return {};
}

}  // namespace pv::cli
