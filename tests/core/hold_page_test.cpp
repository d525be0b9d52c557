// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_page.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "chart_test_support.h"
#include "hold_record_fixture.h"
#include "link/units.h"
#include "print/page_text.h"

namespace pv {
namespace {

using testing::All;
using testing::TextsOf;

using testing::Falling;
using testing::HoldTest;
using testing::TableRows;

const std::string kLong(400, 'W');
const std::string kWords =
    "The valve on the east branch was closed and tagged before the test began. " + kLong;

struct PageCase {
  const char* name;
  HoldTestFile test;
  TableRows rows;
  std::vector<std::string> expected;  // texts that must be on the page
};

std::vector<PageCase> PageCases() {
  std::vector<PageCase> cases;
  cases.push_back({"a falling pass",
                   HoldTest(true, {}, 4, "Flanges checked."),
                   Falling(130, 100, 0.0062),
                   {"PASSED",
                    "-0.620 psi (-0.62 %)",
                    "100.000 psi",
                    "99.380 psi",
                    "0.50 % of the start (0.500 psi)",
                    "99.000 psi",
                    "falling \xE2\x86\x93",
                    "11:20:35",
                    "11:22:00",
                    "-0.155 psi",
                    "steeper than the step before",
                    "HT-0042",
                    "2026-12-09",
                    "Riser 3, north wing",
                    "SN 123",
                    "2027-03-31",
                    "Flanges checked.",
                    "Operator's signature",
                    "Witness's signature",
                    "start 11:20:10",
                    "end 11:21:50",
                    "minimum 99.000 psi",
                    "allowed drop"}});
  cases.push_back(
      {"a fail with long texts everywhere",
       HoldTest(false,
                {"dropped 0.62 % (allowed 0.50 %)", "fell below 99.000 psi at 11:24:10", kWords, kWords,
                 "2 error samples in the window"},
                8, kWords + "\n" + kWords),
       Falling(111, 100, 0.0062, {40, 41}),
       {"NOT PASSED", "dropped 0.62 % (allowed 0.50 %)", "fell below 99.000 psi at 11:24:10", "11:23:30"}});
  cases.push_back({"no samples at hand",
                   HoldTest(true, {}, 2, ""),
                   TableRows{},
                   {"PASSED", "The run's samples are not at hand."}});
  for (int i = 0; i < 11; ++i) cases[1].test.record.location += "Long location name ";
  return cases;
}

TEST(HoldRecordPage, CarriesTheRecordTheResultAndItsReasons) {
  for (const PageCase& c : PageCases()) {
    const DisplayList page = BuildHoldRecordPage({c.test, c.rows, "tank.KvtDat"}, 0);
    const std::vector<std::string> texts = TextsOf(page);
    for (const std::string& want : c.expected)
      EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << c.name << ": " << want;
    for (const char* label :
         {"Pressure Test Record", "Test ID:", "System tested:", "Location:", "Test medium:",
          "Temperature at start:", "Temperature at end:", "Instrument:", "Serial number:", "Calibration due:",
          "Operator:", "Witness:", "Notes:", "Checkpoints", "Run: tank.KvtDat"})
      EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << c.name << ": " << label;
    EXPECT_EQ(All<Polyline>(page).empty(), c.rows.rows.empty()) << c.name;
  }
}

TEST(HoldRecordPage, NothingLeavesThePrintableArea) {
  auto inside = [](Point p) {
    return p.x >= kHoldPageLeft && p.x <= kHoldPageRight && p.y >= kHoldPageBottom && p.y <= kHoldPageTop;
  };
  for (const PageCase& c : PageCases()) {
    const DisplayList page = BuildHoldRecordPage({c.test, c.rows, kLong}, 0);
    for (const Text* t : All<Text>(page)) {
      const int height = t->font == FontRole::kPrintTitle ? 25 : 10;
      EXPECT_TRUE(inside(t->at) && inside({t->at.x + t->maxWidth, t->at.y - height}))
          << c.name << ": " << t->text;
      EXPECT_LE(EstimatedTextWidth(t->text, t->font), t->maxWidth) << c.name << ": " << t->text;
    }
    for (const Line* l : All<Line>(page)) EXPECT_TRUE(inside(l->from) && inside(l->to)) << c.name;
    for (const Polyline* p : All<Polyline>(page))
      EXPECT_TRUE(std::all_of(p->points.begin(), p->points.end(), inside)) << c.name;
  }
}

// Readings in another unit are drawn in the unit of the start: a steady pressure is a flat
// trace across a change of units, and an error sample breaks the trace.
TEST(HoldRecordPage, TheTraceFollowsThePressureAcrossUnitsAndBreaksAtErrors) {
  struct Case {
    const char* name;
    int barFrom;  // samples from here on are in bar
    std::vector<int> errors;
    std::size_t traces;  // polylines drawn
  };
  const Case cases[] = {
      {"psi only", 120, {}, 1}, {"psi then bar", 60, {}, 1}, {"an error sample", 120, {70}, 2}};
  for (const Case& c : cases) {
    TableRows rows = Falling(120, kUnits[0].toPsi, 0.0, c.errors);
    for (int i = c.barFrom; i < 120; ++i) {
      SampleRow& r = rows.rows[static_cast<std::size_t>(i)];
      r.unitCode = 0, r.unitName = "bar", r.value = 1.0f;
    }
    HoldTestFile test;
    test.criteria.allowed = 1.0;
    const HoldOutcome outcome = AnalyseHold(rows, 1, test.criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << c.name << ": " << outcome.message;
    test.result = outcome.result;
    const DisplayList page = BuildHoldRecordPage({test, rows, ""}, 0);
    EXPECT_EQ(All<Polyline>(page).size(), c.traces) << c.name;
    std::vector<int> ys;
    for (const Polyline* p : All<Polyline>(page))
      for (const Point& pt : p->points) ys.push_back(pt.y);
    ASSERT_FALSE(ys.empty()) << c.name;
    EXPECT_LE(*std::max_element(ys.begin(), ys.end()) - *std::min_element(ys.begin(), ys.end()), 1) << c.name;
  }
}

TEST(PageText, LongTextsAreCutOrWrappedIntoTheirRoom) {
  struct Case {
    std::string text;
    int maxLines;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases{
      {"short", 2, {"short"}},
      {"one two three four", 2, {"one two", "three four"}},
      {"one two three four five six", 2, {"one two", "three fo..."}},
      {"first\nsecond", 3, {"first", "second"}},
      {"abcdefghijklmnop", 3, {"abcdefghij", "klmnop"}},
      {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4",
       1,
       {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4..."}},
  };
  const int room = EstimatedTextWidth("abcdefghij", FontRole::kPrintLabel);
  for (const Case& c : cases) {
    EXPECT_EQ(WrapText(c.text, room, FontRole::kPrintLabel, c.maxLines), c.lines) << c.text;
    EXPECT_LE(EstimatedTextWidth(FitText(c.text, room, FontRole::kPrintLabel), FontRole::kPrintLabel), room);
  }
}

}  // namespace
}  // namespace pv
