// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_card.h"

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

std::string Counted(int n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

HoldCard HoldCardOf(const HoldCriteria& /*criteria*/, const HoldResult& r) {
  const HoldTexts t = HoldTextsOf(r);
  const bool read = r.startSample >= 0;
  HoldCard card;
  card.passed = r.passed;
  card.verdict = t.verdict;
  card.state = t.state;
  card.reasons = r.reasons;
  card.arrow = read ? ArrowOf(r.direction) : "";
  std::string change = t.change;
  if (!t.changePercent.empty()) change += " (" + t.changePercent + ")";
  if (read) change += std::string(" ") + DirectionName(r.direction);
  card.rows = {
      {"Window", r.startTime + " - " + r.endTime + ", " + FormatFixed(r.seconds, 0) + " s, " +
                     Counted(r.samples, "sample") + ", " + Counted(r.errors, "error")},
      {"State", t.state},
      {"Start", t.start},
      {"End", t.end},
      {"Change", change},
      {"Largest deviation", t.deviation},
      {"Rate", t.rate},
      {"Allowed", t.allowed},
      {"Minimum", t.minimum},
  };
  if (!r.startDateTime.empty()) card.rows.insert(card.rows.begin() + 1, {"Date", r.startDateTime});
  const int changeDecimals = HoldDecimalsOf(r).amount;
  for (const HoldCheckpoint& c : r.checkpoints) {
    const bool shown = read && c.sample >= 0;
    card.checkpoints.push_back({c.time, shown ? FormatFixed(c.value, r.decimals) : "-",
                                read ? SignedFixed(c.change, NonZeroDecimals(c.change, changeDecimals)) : "-",
                                c.steeper});
  }
  return card;
}

}  // namespace pv
