// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_card.h"

#include <cstdio>

#include "holdtest/hold_text.h"

namespace pv {
namespace {

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

std::string SignedFixed(double value, int decimals) {
  const std::string text = FormatFixed(value, decimals);
  return text[0] == '-' ? text : "+" + text;
}

HoldCard HoldCardOf(const HoldCriteria& criteria, const HoldResult& r) {
  HoldCard card;
  card.passed = r.passed;
  card.verdict = r.passed ? "PASSED" : "NOT PASSED";
  card.reasons = r.reasons;
  card.arrow = ArrowOf(r.direction);
  const int d = r.decimals;
  const std::string unit = r.unit.empty() ? "" : " " + r.unit;
  std::string change = SignedFixed(r.change, d) + unit;
  if (r.changePercent) change += " (" + SignedFixed(*r.changePercent, 2) + " %)";
  change += std::string(" ") + DirectionName(r.direction);
  std::string allowed = FormatAmount(r.allowedAmount, d, r.unit);
  if (criteria.allowedKind == AllowedKind::Percent)
    allowed = FormatPercent(criteria.allowed) + " (" + allowed + ")";
  char window[160];
  std::snprintf(window, sizeof window, "%s - %s, %.0f s, %d samples, %d errors", r.startTime.c_str(),
                r.endTime.c_str(), r.seconds, r.samples, r.errors);
  card.rows = {
      {"Window", window},
      {"Start", FormatFixed(r.start, d) + unit},
      {"End", FormatFixed(r.end, d) + unit},
      {"Change", change},
      {"Rate", SignedFixed(r.ratePerMinute, d) + unit + "/min"},
      {"Allowed", allowed},
      {"Minimum", criteria.minimum ? FormatFixed(*criteria.minimum, d) + unit : std::string("none")},
  };
  for (const HoldCheckpoint& c : r.checkpoints)
    card.checkpoints.push_back(
        {c.time, c.sample < 0 ? "-" : FormatFixed(c.value, d), SignedFixed(c.change, d), c.steeper});
  return card;
}

}  // namespace pv
