// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_test.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "holdtest/hold_text.h"
#include "link/units.h"

namespace pv {
namespace {

// Readings are quantised to their counts, but their floats and the unit factors are not:
// a change of exactly one count or a drop of exactly the allowed amount must compare as
// such, not a rounding error above or below it.
bool Exceeds(double a, double b) {
  return a > b + 1e-9 * std::max(1.0, std::fabs(b));
}

struct Reading {
  bool valid = false;  // neither an error sample nor a value that is no number
  double value = 0.0;  // in the start reading's unit
};

// The decimals of a reading as the meter showed it: "+1.250" has three. A text without
// digits (an error, a damaged file) falls back to the unit's resolution.
int ReadingDecimals(const SampleRow& row) {
  const int shown = std::clamp(ShownReadingChars(row.unitCode, row.value), 0, kReadingTextChars);
  int digits = 0, decimals = -1;
  for (int i = 0; i < shown; ++i) {
    const char c = row.text[static_cast<std::size_t>(i)];
    if (c == '.' && decimals < 0) {
      decimals = 0;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (decimals >= 0) ++decimals;
    }
  }
  if (digits > 0) return std::max(decimals, 0);
  return IsUnitCode(row.unitCode) ? Decimals(kUnits[static_cast<std::size_t>(row.unitCode)]) : 3;
}

double RoundTo(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// A reading in the start's unit. One in the start's own unit is taken as shown (its float
// rounded back to its digits); one in another unit goes through the unit table.
Reading ReadingIn(const SampleRow& row, int startUnit) {
  Reading r;
  r.valid = row.errorKind == 0 && std::isfinite(row.value);
  if (!r.valid) return r;
  const double value = row.value;
  if (row.unitCode == startUnit || !IsUnitCode(row.unitCode) || !IsUnitCode(startUnit)) {
    r.value = RoundTo(value, ReadingDecimals(row));
  } else {
    r.value = value * kUnits[static_cast<std::size_t>(row.unitCode)].toPsi /
              kUnits[static_cast<std::size_t>(startUnit)].toPsi;
  }
  return r;
}

HoldOutcome Failure(HoldError error, std::string message) {
  HoldOutcome outcome;
  outcome.error = error;
  outcome.message = std::move(message);
  return outcome;
}

std::optional<HoldOutcome> CheckCriteria(int size, int last, const HoldCriteria& c) {
  if (size <= 0) return Failure(HoldError::EmptyRun, "the run holds no samples");
  if (c.firstSample < 0 || c.firstSample >= size || last < c.firstSample || last >= size) {
    return Failure(HoldError::WindowOutsideRun, "the window lies outside the run's " + std::to_string(size) +
                                                    (size == 1 ? " sample" : " samples"));
  }
  if (last == c.firstSample) {
    return Failure(HoldError::TooFewSamples,
                   "the window holds one sample: a hold test needs at least two to show a change");
  }
  if (c.checkpoints < kMinCheckpoints || c.checkpoints > kMaxCheckpoints) {
    return Failure(HoldError::BadCheckpoints, "the checkpoints must be 2 to 8");
  }
  if (!std::isfinite(c.allowed) || c.allowed < 0.0) {
    return Failure(HoldError::NoCriterion, "no allowed change given (a percentage or an amount, 0 or more)");
  }
  if (c.minimum && !std::isfinite(*c.minimum))
    return Failure(HoldError::NoCriterion, "the minimum is no number");
  if (c.holdSeconds < 0) return Failure(HoldError::NoCriterion, "the hold period is below 0");
  return std::nullopt;
}

// The checkpoints: K equal time steps; each takes the last valid reading at or before
// its end (the start while there is none yet).
void AddCheckpoints(HoldResult& r, const std::vector<Reading>& window, const SampleRows& rows, int count) {
  std::vector<int> lastValid(window.size(), -1);
  for (std::size_t i = 0; i < window.size(); ++i)
    lastValid[i] = window[i].valid ? static_cast<int>(i) : (i > 0 ? lastValid[i - 1] : -1);
  const std::int64_t firstSeconds = rows.row(r.firstSample).localSeconds;
  const int span = r.lastSample - r.firstSample;
  double before = r.start;
  for (int k = 1; k <= count; ++k) {
    HoldCheckpoint point;
    const auto offset = static_cast<std::size_t>(std::floor(static_cast<double>(k) * span / count + 1e-9));
    const int at = lastValid[std::min(offset, window.size() - 1)];
    point.sample = at < 0 ? -1 : r.firstSample + at;
    point.value = at < 0 ? r.start : window[static_cast<std::size_t>(at)].value;
    point.seconds = r.seconds * k / count;
    point.time = FormatTimeOfDay(firstSeconds + static_cast<std::int64_t>(std::floor(point.seconds + 1e-9)));
    point.change = point.value - before;
    if (!r.checkpoints.empty()) {
      point.steeper = !Exceeds(std::fabs(r.checkpoints.back().change) + r.count, std::fabs(point.change));
    }
    before = point.value;
    r.checkpoints.push_back(point);
  }
}

// The valid reading farthest from the start, the first of several as far.
void FindDeviation(HoldResult& r, const std::vector<Reading>& window, const SampleRows& rows) {
  if (r.startSample < 0) return;
  r.deviationSample = r.startSample;
  r.deviation = 0.0;
  for (std::size_t i = 0; i < window.size(); ++i) {
    if (!window[i].valid) continue;
    const double deviation = window[i].value - r.start;
    if (!Exceeds(std::fabs(deviation), std::fabs(r.deviation))) continue;
    r.deviation = deviation;
    r.deviationSample = r.firstSample + static_cast<int>(i);
  }
  r.deviationTime = rows.row(r.deviationSample).time;
}

// Every reason the window did not hold, in the order a reader checks them.
void Judge(HoldResult& r, int valid, const std::vector<Reading>& window, const SampleRows& rows) {
  const AllowedKind kind = r.allowedKind;
  const std::string unit = r.unit.empty() ? std::string() : " " + r.unit;
  const HoldDecimals d = HoldDecimalsOf(r);
  if (valid == 0) r.reasons.push_back("the window holds only error samples");
  if (valid == 1) r.reasons.push_back("only one valid reading in the window");
  bool changeExceeded = false;
  if (valid >= 2 && r.direction != HoldDirection::Stable) {
    const char* verb = r.direction == HoldDirection::Falling ? "dropped " : "rose ";
    if (kind == AllowedKind::Percent && Exceeds(std::fabs(*r.changePercent), *r.allowedPercent)) {
      r.reasons.push_back(verb + FormatPercent(std::fabs(*r.changePercent), d.percent) + " (allowed " +
                          FormatPercent(*r.allowedPercent, d.percent) + ")");
      changeExceeded = true;
    } else if (kind == AllowedKind::Amount && Exceeds(std::fabs(r.change), r.allowedAmount)) {
      r.reasons.push_back(verb + FormatFixed(std::fabs(r.change), d.amount) + unit + " (allowed " +
                          FormatFixed(r.allowedAmount, d.amount) + unit + ")");
      changeExceeded = true;
    }
  }
  // A swing that came back: the end alone would hold. A change beyond the allowed has
  // left the band by its end, so that reason is not given twice.
  if (valid >= 2 && !changeExceeded && Exceeds(std::fabs(r.deviation), r.allowedAmount)) {
    r.reasons.push_back("left the allowed band at " + r.deviationTime + ": " +
                        FormatFixed(std::fabs(r.deviation), d.amount) + unit +
                        (r.deviation < 0 ? " below" : " above") + " the start (allowed " +
                        FormatFixed(r.allowedAmount, d.amount) + unit + ")");
  }
  if (r.minimum) {
    for (std::size_t i = 0; i < window.size(); ++i) {
      if (!window[i].valid || !Exceeds(*r.minimum, window[i].value)) continue;
      r.reasons.push_back("fell below " + FormatFixed(*r.minimum, AmountDecimals(*r.minimum, r.decimals)) +
                          unit + " at " + rows.row(r.firstSample + static_cast<int>(i)).time);
      break;
    }
  }
  if (r.errors > 0) {
    r.reasons.push_back(std::to_string(r.errors) + (r.errors == 1 ? " error sample" : " error samples") +
                        " in the window");
  }
  if (r.state == HoldState::EndedEarly) {
    r.reasons.push_back("not complete: the test ended after " +
                        FormatDuration(static_cast<int>(std::floor(r.seconds))) + " of " +
                        FormatDuration(r.holdSeconds));
  }
  r.passed = r.reasons.empty();
}

// The window's readings in the unit of its first valid one, with the start, end and
// change they give; valid counts the readings that are no error.
std::vector<Reading> ReadWindow(HoldResult& r, const SampleRows& rows, int& valid) {
  const int last = r.lastSample;
  r.startSample = -1;
  r.endSample = -1;
  for (int i = r.firstSample; i <= last && r.startSample < 0; ++i) {
    const SampleRow row = rows.row(i);
    if (row.errorKind == 0 && std::isfinite(row.value)) r.startSample = i;
  }
  // Without a valid reading the window's first sample still names the unit.
  const SampleRow startRow = rows.row(r.startSample >= 0 ? r.startSample : r.firstSample);
  r.unit = std::string(startRow.unitName);
  r.decimals = ReadingDecimals(startRow);
  r.count = std::pow(10.0, -r.decimals);

  std::vector<Reading> window;
  window.reserve(static_cast<std::size_t>(r.samples));
  for (int i = r.firstSample; i <= last; ++i) {
    window.push_back(ReadingIn(rows.row(i), startRow.unitCode));
    if (window.back().valid) {
      r.endSample = i;
      ++valid;
    } else {
      ++r.errors;
    }
  }
  if (valid > 0) {
    r.start = window[static_cast<std::size_t>(r.startSample - r.firstSample)].value;
    r.end = window[static_cast<std::size_t>(r.endSample - r.firstSample)].value;
    r.change = r.end - r.start;
    if (r.start > 0.0) r.changePercent = r.change / r.start * 100.0;
  }
  return window;
}

// The allowed change as an amount in the unit and as a percentage of the start.
void SetAllowed(HoldResult& r, const HoldCriteria& criteria) {
  const bool percent = criteria.allowedKind == AllowedKind::Percent;
  r.allowedAmount = percent ? criteria.allowed * r.start / 100.0 : criteria.allowed;
  r.allowedPercent = percent ? std::optional(criteria.allowed)
                     : r.start > 0.0 ? std::optional(criteria.allowed / r.start * 100.0)
                                     : std::nullopt;
}

}  // namespace

const char* DirectionName(HoldDirection direction) {
  switch (direction) {
    case HoldDirection::Falling:
      return "falling";
    case HoldDirection::Rising:
      return "rising";
    case HoldDirection::Stable:
      break;
  }
  return "stable";
}

HoldOutcome AnalyseHold(const SampleRows& rows, int intervalSeconds, const HoldCriteria& criteria) {
  const int size = rows.size();
  const int last = criteria.lastSample == -1 ? size - 1 : criteria.lastSample;
  if (auto failure = CheckCriteria(size, last, criteria)) return *std::move(failure);

  HoldOutcome outcome;
  HoldResult& r = outcome.result;
  r.firstSample = criteria.firstSample;
  r.lastSample = last;
  r.samples = last - criteria.firstSample + 1;
  int valid = 0;
  const std::vector<Reading> window = ReadWindow(r, rows, valid);
  if (valid > 0 && criteria.allowedKind == AllowedKind::Percent && !r.changePercent) {
    return Failure(HoldError::PercentNeedsPositiveStart,
                   "an allowed percentage needs a start pressure above 0; give an amount instead");
  }
  SetAllowed(r, criteria);
  r.minimum = criteria.minimum;
  r.allowedKind = criteria.allowedKind;
  r.direction = !Exceeds(r.count, std::fabs(r.change))
                    ? (r.change < 0 ? HoldDirection::Falling : HoldDirection::Rising)
                    : HoldDirection::Stable;
  r.seconds = static_cast<double>(last - r.firstSample) * std::max(intervalSeconds, 0);
  r.ratePerMinute = r.seconds > 0.0 ? r.change / (r.seconds / 60.0) : 0.0;
  const SampleRow firstRow = rows.row(r.firstSample), lastRow = rows.row(last);
  r.startTime = firstRow.time;
  r.endTime = lastRow.time;
  r.startDateTime = IsoDateTime(firstRow);
  r.endDateTime = IsoDateTime(lastRow);
  r.holdSeconds = criteria.holdSeconds;
  if (criteria.holdSeconds > 0 && r.seconds < criteria.holdSeconds) r.state = HoldState::EndedEarly;
  FindDeviation(r, window, rows);
  AddCheckpoints(r, window, rows, criteria.checkpoints);
  Judge(r, valid, window, rows);
  return outcome;
}

}  // namespace pv
