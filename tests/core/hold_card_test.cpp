// SPDX-License-Identifier: GPL-3.0-or-later
// How a hold test's numbers and typed texts read wherever they are shown: the one number
// formatter, the result card built on it, and the escaper every shown text goes through.
#include "holdtest/hold_card.h"

#include <gtest/gtest.h>

#include <cmath>

#include "hold_rows.h"
#include "holdtest/hold_text.h"
#include "text_format.h"

namespace pv {
namespace {

using test::ReadingRows;

// The formatter's rules, one row per rule and value.
TEST(HoldText, NumbersReadWithTheirSignAndNeverAsZeroOrEqualToTheirLimit) {
  const struct {
    const char* rule;
    std::string text;
    const char* expected;
  } cases[] = {
      {"fixed, no minus zero", FormatFixed(-0.0004, 3), "0.000"},
      {"fixed, no number", FormatFixed(NAN, 3), "-"},
      {"signed, positive", SignedFixed(0.012, 3), "+0.012"},
      {"signed, negative", SignedFixed(-1.25, 3), "-1.250"},
      {"signed, zero has none", SignedFixed(0.0, 2), "0.00"},
      {"signed, rounding to zero has none", SignedFixed(-0.00001, 3), "0.000"},
      {"non-zero rate keeps a digit", SignedFixed(-0.0000333, NonZeroDecimals(-0.0000333, 4)), "-0.00003"},
      {"non-zero, enough already", SignedFixed(-0.0070, NonZeroDecimals(-0.007, 4)), "-0.0070"},
      {"zero stays short", FormatFixed(0.0, NonZeroDecimals(0.0, 4)), "0.0000"},
      {"compared, exceeded by a hair",
       FormatFixed(0.1002, ComparedDecimals(0.1002, 0.1, 2)) + " / " +
           FormatFixed(0.1, ComparedDecimals(0.1002, 0.1, 2)),
       "0.1002 / 0.1000"},
      {"compared, equal stays short", FormatFixed(0.5, ComparedDecimals(0.5, 0.5 + 1e-12, 2)), "0.50"},
      {"compared, already apart", FormatFixed(1.12, ComparedDecimals(1.12, 0.5, 2)), "1.12"},
      {"amount keeps its given digits", FormatAmount(0.0005, 3, "bar"), "0.0005 bar"},
      {"amount without a unit", FormatAmount(0.5, 1, ""), "0.5"},
      {"percent", FormatPercent(0.125, 3), "0.125 %"},
      {"duration", FormatDuration(7), "00:00:07"},
      {"long duration", FormatDuration(100 * 3600 + 61), "100:01:01"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, c.expected) << c.rule;
}

std::string SlowLeak(int minutes) {
  std::string readings;
  for (int i = 0; i < minutes; ++i) readings += "4.200 ";
  return readings + "4.199";
}

// A result's texts, from the analysis: every output (card, command line, page, sheet)
// shows these.
TEST(HoldText, AResultsTextsShareTheirDecimals) {
  const struct {
    const char* name;
    const char* unit;
    std::string readings;
    int interval;
    AllowedKind kind;
    double allowed;
    const char* change;
    const char* changePercent;
    const char* rate;
    const char* allowedText;
    const char* deviation;
  } cases[] = {
      {"a slow leak's rate is not zero", "psi", SlowLeak(30), 60, AllowedKind::Percent, 0.5, "-0.001 psi",
       "-0.02 %", "-0.00003 psi/min", "0.50 % of the start (0.021 psi)", "-0.001 psi at 10:30:00"},
      {"a drop a hair past the allowed percentage", "mbar", "49.9 49.9 49.8", 30, AllowedKind::Percent, 0.2,
       "-0.1000 mbar", "-0.2004 %", "-0.10 mbar/min", "0.2000 % of the start (0.0998 mbar)",
       "-0.1000 mbar at 10:01:00"},
      {"an amount criterion keeps its unit and digits", "mbar", "50.0 49.8 49.6", 30, AllowedKind::Amount, 0.45,
       "-0.40 mbar", "-0.80 %", "-0.40 mbar/min", "0.45 mbar (0.90 %)", "-0.40 mbar at 10:01:00"},
      {"a rise", "psi", "2.000 2.010 2.030 2.050", 60, AllowedKind::Amount, 0.1, "+0.050 psi", "+2.50 %",
       "+0.0167 psi/min", "0.100 psi (5.00 %)", "+0.050 psi at 10:03:00"},
      {"no valid reading", "mbar", "E E E", 30, AllowedKind::Percent, 1.0, "-", "", "-", "1.00 % of the start",
       "-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HoldCriteria criteria{0, -1, c.kind, c.allowed, std::nullopt, 2};
    const HoldOutcome outcome = AnalyseHold(ReadingRows(c.unit, c.readings, c.interval), c.interval, criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    const HoldTexts t = HoldTextsOf(outcome.result);
    EXPECT_EQ(t.change, c.change);
    EXPECT_EQ(t.changePercent, c.changePercent);
    EXPECT_EQ(t.rate, c.rate);
    EXPECT_EQ(t.allowed, c.allowedText);
    EXPECT_EQ(t.deviation, c.deviation);
  }
}

TEST(HoldCard, TheCardShowsTheResultsTextsItsStateAndArrow) {
  const struct {
    const char* name;
    const char* unit;
    const char* readings;
    int holdSeconds;
    const char* verdict;
    const char* state;
    const char* change;
    const char* arrow;
    const char* firstCheckpoint;  // time value change
  } cases[] = {
      {"a falling fail", "psi", "4.000 3.990 3.972", 0, "NOT PASSED", "complete", "-0.028 psi (-0.70 %) falling",
       "\u2193", "10:00:30 3.990 -0.010"},
      {"a rising hold beside a limit between counts", "mbar", "50.0 50.1 50.2", 0, "PASSED", "complete",
       "+0.20 mbar (+0.40 %) rising", "\u2191", "10:00:30 50.1 +0.10"},
      {"a stable hold ended early", "mbar", "50.0 50.0 50.0", 600, "NOT PASSED",
       "ended early at 00:01:00 of 00:10:00", "0.0 mbar (0.00 %) stable", "\u2192", "10:00:30 50.0 0.0"},
      {"no valid reading", "mbar", "E E E", 0, "NOT PASSED", "complete", "-", "", "10:00:30 - -"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HoldCriteria criteria{0, -1, AllowedKind::Percent, 0.5, std::nullopt, 2};
    criteria.holdSeconds = c.holdSeconds;
    const HoldOutcome outcome = AnalyseHold(ReadingRows(c.unit, c.readings, 30), 30, criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    const HoldCard card = HoldCardOf(criteria, outcome.result);
    auto row = [&](const std::string& label) {
      for (const HoldCardRow& each : card.rows)
        if (each.label == label) return each.value;
      return std::string("(no row)");
    };
    EXPECT_EQ(card.verdict, c.verdict);
    EXPECT_EQ(row("State"), c.state);
    EXPECT_EQ(row("Change"), c.change);
    EXPECT_EQ(card.arrow, c.arrow);
    ASSERT_FALSE(card.checkpoints.empty());
    const HoldCheckpointText& p = card.checkpoints.front();
    EXPECT_EQ(p.time + " " + p.value + " " + p.change, c.firstCheckpoint);
  }
}

// Typed text is shown whole, but nothing in it acts on the terminal, the page or the
// order of the characters around it.
TEST(ShownText, ControlsAndBidiOverridesAreShownEscapedAndNothingIsCut) {
  const struct {
    const char* name;
    std::string text;
    bool keepLineBreaks;
    const char* shown;
  } cases[] = {
      {"plain and accented text stays", "Line 4, \xC3\xB8 50 mbar \xC2\xB1" "0.5", false,
       "Line 4, \xC3\xB8 50 mbar \xC2\xB1" "0.5"},
      {"a line break never starts a line", "ok\nResult: PASSED", false, "ok\\nResult: PASSED"},
      {"line breaks kept for a page", "one\r\ntwo\nthree", true, "one\ntwo\nthree"},
      {"a lone carriage return", "a\rb", true, "a\\rb"},
      {"tab", "a\tb", false, "a\\tb"},
      {"terminal escape", "\x1b[2J\x1b]0;x\x07", false, "\\x1b[2J\\x1b]0;x\\x07"},
      {"NUL and DEL", std::string("a\0b\x7f", 4), false, "a\\x00b\\x7f"},
      {"C1 control", "a\xC2\x9B" "b", false, "a\\u009bb"},
      {"right-to-left override", "T-\xE2\x80\xAE" "71", false, "T-\\u202e71"},
      {"isolates and marks", "\xE2\x81\xA6x\xE2\x81\xA9\xE2\x80\x8F\xD8\x9C", false,
       "\\u2066x\\u2069\\u200f\\u061c"},
      {"line separator", "a\xE2\x80\xA8" "b", true, "a\\u2028b"},
      {"invalid bytes", "a\xFF\xC0\xAF" "b", false, "a\\xff\\xc0\\xafb"},
      {"a sequence cut short", "ab\xE2\x80", false, "ab\\xe2\\x80"},
      {"a surrogate", "\xED\xA0\x80", false, "\\xed\\xa0\\x80"},
      {"a long text is not cut", std::string(5000, 'x'), false, nullptr},
  };
  for (const auto& c : cases) {
    const std::string shown = ShownText(c.text, c.keepLineBreaks);
    EXPECT_EQ(shown, c.shown ? std::string(c.shown) : c.text) << c.name;
  }
}

}  // namespace
}  // namespace pv
