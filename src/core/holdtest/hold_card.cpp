// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_card.h"

#include <cmath>
#include <cstdio>

#include "holdtest/hold_marks.h"

namespace pv {
namespace {

std::string Fixed(double value, int decimals, bool sign = false) {
  char text[64];
  std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, value);
  return text;
}

const char* ArrowOf(HoldDirection direction) {
  switch (direction) {
    case HoldDirection::Falling:
      return "\u2193";
    case HoldDirection::Rising:
      return "\u2191";
    case HoldDirection::Stable:
      break;
  }
  return "\u2192";
}

}  // namespace

int CountDecimals(double count) {
  if (!(count > 0.0) || !std::isfinite(count)) return 3;
  const int decimals = static_cast<int>(std::lround(-std::log10(count)));
  return decimals < 0 ? 0 : (decimals > 6 ? 6 : decimals);
}

std::string SignedFixed(double value, int decimals) {
  return Fixed(value, decimals, true);
}

HoldCard HoldCardOf(const HoldCriteria& criteria, const HoldResult& r) {
  HoldCard card;
  card.passed = r.passed;
  card.verdict = r.passed ? "PASSED" : "NOT PASSED";
  card.reasons = r.reasons;
  card.arrow = ArrowOf(r.direction);
  const int d = CountDecimals(r.count);
  const std::string unit = r.unit.empty() ? "" : " " + r.unit;
  std::string change = SignedFixed(r.change, d) + unit;
  if (r.changePercent) change += " (" + Fixed(*r.changePercent, 2, true) + " %)";
  change += std::string(" ") + DirectionName(r.direction);
  const std::string allowed =
      criteria.allowedKind == AllowedKind::Percent
          ? Fixed(criteria.allowed, 2) + " % (" + Fixed(AllowedAmount(criteria, r.start), d) + unit + ")"
          : Fixed(criteria.allowed, d) + unit;
  char window[128];
  std::snprintf(window, sizeof window, "%s - %s, %.0f s, %d samples, %d errors", r.startTime.c_str(),
                r.endTime.c_str(), r.seconds, r.samples, r.errors);
  card.rows = {
      {"Window", window},
      {"Start", Fixed(r.start, d) + unit},
      {"End", Fixed(r.end, d) + unit},
      {"Change", change},
      {"Rate", SignedFixed(r.ratePerMinute, d) + unit + "/min"},
      {"Allowed", allowed},
      {"Minimum", criteria.minimum ? Fixed(*criteria.minimum, d) + unit : std::string("none")},
  };
  for (const HoldCheckpoint& c : r.checkpoints)
    card.checkpoints.push_back({c.time, c.sample < 0 ? "-" : Fixed(c.value, d), SignedFixed(c.change, d), c.steeper});
  return card;
}

}  // namespace pv
