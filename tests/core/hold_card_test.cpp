// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's result card as the windows show it: pressures with the start
// reading's decimals, percentages with two, the direction's arrow, the allowed change.
#include "holdtest/hold_card.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

TEST(HoldCard, PressuresKeepTheStartReadingsDecimalsAndPercentagesTwo) {
  struct Case {
    const char* name;
    double start, end;
    int decimals;
    HoldDirection direction;
    AllowedKind kind;
    double allowed;
    bool passed;
    const char* startText;
    const char* changeText;
    const char* allowedText;
    const char* arrow;
  };
  const Case cases[] = {
      {"a falling fail", 100.0, 99.38, 3, HoldDirection::Falling, AllowedKind::Percent, 0.5, false,
       "100.000 psi", "-0.620 psi (-0.62 %) falling", "0.50 % (0.500 psi)", "\u2193"},
      {"a rising hold in hundredths", 12.5, 12.53, 2, HoldDirection::Rising, AllowedKind::Amount, 0.05, true,
       "12.50 psi", "+0.03 psi (+0.24 %) rising", "0.05 psi", "\u2191"},
      {"a start at zero has no percentage", 0.0, 0.0, 0, HoldDirection::Stable, AllowedKind::Amount, 2.0,
       true, "0 psi", "+0 psi stable", "2 psi", "\u2192"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HoldResult r;
    r.unit = "psi";
    r.start = c.start;
    r.end = c.end;
    r.change = c.end - c.start;
    if (c.start > 0) r.changePercent = r.change / c.start * 100.0;
    r.decimals = c.decimals;
    r.allowedAmount = c.kind == AllowedKind::Percent ? c.start * c.allowed / 100.0 : c.allowed;
    r.direction = c.direction;
    r.passed = c.passed;
    HoldCriteria criteria;
    criteria.allowedKind = c.kind;
    criteria.allowed = c.allowed;
    const HoldCard card = HoldCardOf(criteria, r);
    auto row = [&](const std::string& label) {
      for (const HoldCardRow& each : card.rows)
        if (each.label == label) return each.value;
      return std::string("(no row)");
    };
    EXPECT_EQ(card.verdict, c.passed ? "PASSED" : "NOT PASSED");
    EXPECT_EQ(row("Start"), c.startText);
    EXPECT_EQ(row("Change"), c.changeText);
    EXPECT_EQ(row("Allowed"), c.allowedText);
    EXPECT_EQ(card.arrow, c.arrow);
  }
}

}  // namespace
}  // namespace pv
