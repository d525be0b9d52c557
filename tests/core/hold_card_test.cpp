// SPDX-License-Identifier: GPL-3.0-or-later
// How a hold test's numbers and typed texts read wherever they are shown: the one number
// formatter, the result card built on it, and the escaper every shown text goes through.
#include "holdtest/hold_card.h"

#include <gtest/gtest.h>

#include "hold_rows.h"
#include "holdtest/hold_text.h"
#include "text_format.h"

namespace pv {
namespace {

using test::ReadingRows;

// The card takes a result's texts, which the command line, the page and the sheet share:
// a non-zero change never reads as zero, a value compared with its limit never reads as
// equal to it (nor longer when it is equal), and a window without a reading shows none.
TEST(HoldCard, TheCardShowsTheResultsTextsItsStateAndArrow) {
  const struct {
    const char* name;
    const char* unit;
    const char* readings;
    int interval, holdSeconds;
    AllowedKind kind;
    double allowed;
    const char* shown;  // verdict arrow | state | change | deviation | rate | allowed | first checkpoint
  } cases[] = {
      {"a slow leak", "psi", "4.200 4.200 4.199", 900, 0, AllowedKind::Percent, 0.5,
       "PASSED \u2193 | complete | -0.001 psi (-0.02 %) falling | -0.001 psi at 10:30:00 | -0.00003 psi/min "
       "| 0.50 % of the start (0.021 psi) | 10:15:00 4.200 0.000"},
      {"a hair past the allowed percentage", "mbar", "49.9 49.9 49.8", 30, 0, AllowedKind::Percent, 0.2,
       "NOT PASSED \u2193 | complete | -0.1000 mbar (-0.2004 %) falling | -0.1000 mbar at 10:01:00 | -0.10 "
       "mbar/min | 0.2000 % of the start (0.0998 mbar) | 10:00:30 49.9 0.0000"},
      {"exactly the allowed percentage", "mbar", "40.0 39.8 39.6", 30, 0, AllowedKind::Percent, 1.0,
       "PASSED \u2193 | complete | -0.4 mbar (-1.00 %) falling | -0.4 mbar at 10:01:00 | -0.40 mbar/min | "
       "1.00 % of the start (0.4 mbar) | 10:00:30 39.8 -0.2"},
      {"a stable hold ended early", "mbar", "50.0 50.0 50.0", 30, 600, AllowedKind::Percent, 1.0,
       "NOT PASSED \u2192 | ended early at 00:01:00 of 00:10:00 | 0.0 mbar (0.00 %) stable | 0.0 mbar at "
       "10:00:00 | 0.00 mbar/min | 1.00 % of the start (0.5 mbar) | 10:00:30 50.0 0.0"},
      {"no valid reading", "mbar", "E E E", 30, 0, AllowedKind::Percent, 1.0,
       "NOT PASSED  | complete | - | - | - | 1.00 % of the start | 10:00:30 - -"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HoldCriteria criteria{0, -1, c.kind, c.allowed, std::nullopt, 2};
    criteria.holdSeconds = c.holdSeconds;
    const HoldOutcome outcome =
        AnalyseHold(ReadingRows(c.unit, c.readings, c.interval), c.interval, criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    const HoldCard card = HoldCardOf(criteria, outcome.result);
    std::string shown = card.verdict + " " + card.arrow;
    for (const HoldCardRow& row : card.rows)
      if (row.label != "Window" && row.label != "Start" && row.label != "End" && row.label != "Minimum")
        shown += " | " + row.value;
    const HoldCheckpointText& p = card.checkpoints.at(0);
    EXPECT_EQ(shown + " | " + p.time + " " + p.value + " " + p.change, c.shown);
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
      {"plain and accented text stays",
       "Line 4, \xC3\xB8 50 mbar \xC2\xB1"
       "0.5",
       false,
       "Line 4, \xC3\xB8 50 mbar \xC2\xB1"
       "0.5"},
      {"line breaks kept for a page, a lone carriage return not", "one\r\ntwo\nthree\rfour", true,
       "one\ntwo\nthree\\rfour"},
      {"terminal escape and DEL", "\x1b[2J\x1b]0;x\x07\x7f", false, "\\x1b[2J\\x1b]0;x\\x07\\x7f"},
      {"C1 control and line separator",
       "a\xC2\x9B"
       "b\xE2\x80\xA8"
       "c",
       true, "a\\u009bb\\u2028c"},
      {"overrides, isolates and marks",
       "T-\xE2\x80\xAE"
       "71\xE2\x81\xA6x\xE2\x81\xA9\xE2\x80\x8F\xD8\x9C",
       false, "T-\\u202e71\\u2066x\\u2069\\u200f\\u061c"},
      {"invalid bytes, a surrogate, a sequence cut short",
       "a\xFF\xC0\xAF"
       "b\xED\xA0\x80"
       "c\xE2\x80",
       false, "a\\xff\\xc0\\xafb\\xed\\xa0\\x80c\\xe2\\x80"},
      {"a long text is not cut", std::string(5000, 'x'), false, nullptr},
  };
  for (const auto& c : cases) {
    const std::string shown = ShownText(c.text, c.keepLineBreaks);
    EXPECT_EQ(shown, c.shown ? std::string(c.shown) : c.text) << c.name;
  }
}

}  // namespace
}  // namespace pv
