// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <sstream>

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

using Pages = std::vector<DisplayList>;

const std::string kLong(400, 'W');
const std::string kWords =
    "The valve on the east branch was closed and tagged before the test began. " + kLong;

// "w1. w2. ... wN.": words that each say where they stand, so that a missing one shows.
std::string Words(const std::string& stem, int n, const char* between = " ") {
  std::string out;
  for (int k = 1; k <= n; ++k) out += (k > 1 ? between : "") + stem + std::to_string(k) + ".";
  return out;
}

// The pages' texts in order, each followed by `end`.
std::string Joined(const Pages& pages, const char* end = "") {
  std::string out;
  for (const DisplayList& page : pages)
    for (const std::string& t : TextsOf(page)) out += t + end;
  return out;
}

bool Has(const Pages& pages, const std::string& text) {
  return ("\n" + Joined(pages, "\n")).find("\n" + text + "\n") != std::string::npos;
}

// The first word of `typed` that the pages do not show whole (a word wrapped over lines
// runs on), empty when there is none.
std::string Missing(const Pages& pages, const std::string& typed) {
  std::istringstream in(typed);
  for (std::string w; in >> w;)
    if (Joined(pages).find(w) == std::string::npos) return w;
  return "";
}

struct PageCase {
  const char* name;
  HoldTestFile test;
  TableRows rows;
  std::vector<std::string> expected;  // texts that must be on the pages
  bool severalPages = false;
};

std::vector<PageCase> PageCases() {
  std::vector<PageCase> cases;
  cases.push_back(
      {"a falling pass",
       HoldTest(true, {}, 4, "Flanges checked."),
       Falling(130, 50.0, 0.004),
       {"PASSED", "complete", "-0.4 mbar (-0.80 %)", "-0.4 mbar at 11:21:50", "50.0 mbar", "49.6 mbar",
        "1.00 % of the start (0.5 mbar)", "49.0 mbar", "-0.24 mbar/min", "falling \xE2\x86\x93", "11:20:35",
        "00:01:40", "-0.1 mbar", "steeper than the step before", "2026-12-09 (UTC+01:00)", "start 11:20:10",
        "end 11:21:50", "minimum 49.0 mbar", "allowed drop"}});
  cases.push_back(
      {"a fail with long texts everywhere",
       HoldTest(false,
                {"dropped 0.80 % (allowed 0.50 %)", "fell below 49.0 mbar at 11:24:10", kWords, kWords,
                 "2 error samples in the window"},
                8, kWords + "\n" + kWords),
       Falling(111, 50.0, 0.004, {40, 41}),
       {"NOT PASSED", "dropped 0.80 % (allowed 0.50 %)", "fell below 49.0 mbar at 11:24:10", "11:23:30"},
       true});
  cases.push_back({"figures no number can place", HoldTest(false, {}, 8, ""), Falling(130, 3e38, 1e36), {}});
  cases.back().test.result.start = std::numeric_limits<double>::quiet_NaN();
  cases.back().test.result.allowedAmount = 1.0;
  cases.back().test.result.minimum = -1e308;
  cases.back().test.result.checkpoints[0].seconds = 1e300;
  cases.push_back({"no samples at hand",
                   HoldTest(true, {}, 2, ""),
                   TableRows{},
                   {"PASSED", "The run's samples are not at hand."}});
  const TableRows rows = Falling(130, 50.0, 0.004);
  HoldTestFile bound = HoldTest(true, {}, 4, Words("par", 160, "\n"));
  bound.revision = 3, bound.fingerprint = std::string(64, 'a');
  bound.run = RunBinding{std::string(64, '7'), "", 130};
  const std::string sums = "Record revision 3, fingerprint (SHA-256) " + bound.fingerprint;
  cases.push_back({"written and bound", bound, rows, {sums, "Data file SHA-256 " + bound.run->sha256}, true});
  // A test that did not run its course cannot be read as a pass.
  HoldTestFile stopped = HoldTest(false, {}, 4, "");
  stopped.result.holdSeconds = 600, stopped.result.state = HoldState::EndedEarly;
  cases.push_back({"ended early", stopped, rows, {"NOT COMPLETE", "ended early at 00:01:40 of 00:10:00"}});
  stopped.result.state = HoldState::Going;
  cases.push_back({"going", stopped, rows, {"STILL GOING", "going, 00:01:40 of 00:10:00"}});
  cases.push_back(
      {"a megabyte", HoldTest(true, {}, 4, std::string(1 << 20, 'x')), Falling(130, 50, 0), {}, true});
  cases.back().test.record.witness = cases.back().test.record.systemTested = std::string(1 << 20, 'y');
  for (int i = 0; i < 11; ++i) cases[1].test.record.location += "Long location name ";
  cases[1].test.record.organisation = Words("org", 50);
  return cases;
}

// Every page is under the title with the run named in its foot, numbered when there are
// several; no word of the record is cut.
TEST(HoldRecordPage, CarriesTheRecordTheResultAndItsReasons) {
  for (const PageCase& c : PageCases()) {
    const Pages pages = BuildHoldRecordPages({c.test, c.rows, "tank.KvtDat"}, 0);
    for (const std::string& want : c.expected) EXPECT_TRUE(Has(pages, want)) << c.name << ": " << want;
    for (const char* label :
         {"Pressure Test Record", "Test ID:", "System tested:", "Location:", "Test medium:",
          "Temperature at start:", "Temperature at end:", "Instrument:", "Serial number:", "Calibration due:",
          "Operator:", "Witness:", "Notes:", "Checkpoints", "Run: tank.KvtDat"})
      EXPECT_TRUE(Has(pages, label)) << c.name << ": " << label;
    std::string typed;
    for (const HoldRecordField& f : kHoldRecordFields) typed += c.test.record.*f.field + " ";
    EXPECT_EQ(typed.size() < 100000 ? Missing(pages, typed) : "", "") << c.name;
    EXPECT_EQ(pages.size() > 1, c.severalPages) << c.name;
    std::size_t traces = 0;
    for (std::size_t k = 0; k < pages.size(); ++k) {
      const std::string number = "Page " + std::to_string(k + 1) + " of " + std::to_string(pages.size());
      EXPECT_TRUE(Has({pages[k]}, kHoldPageTitle) && Has({pages[k]}, "Run: tank.KvtDat")) << c.name << k;
      EXPECT_EQ(Has({pages[k]}, number), c.severalPages) << c.name << ": " << number;
      traces += All<Polyline>(pages[k]).size();
    }
    EXPECT_EQ(traces == 0, c.rows.rows.empty()) << c.name;
  }
}

// Wherever the page breaks, the lines to sign on are on the page that shows the names
// under them, every line of the names.
TEST(HoldRecordPage, SignatureLinesStayWithTheNamesUnderThem) {
  const TableRows rows = Falling(130, 50.0, 0.004);
  for (int notes = 0; notes <= 90; notes += 3) {
    HoldTestFile test = HoldTest(true, {}, 8, Words("note", notes, "\n"));
    test.record.operatorName = Words("op", 20), test.record.witness = Words("wit", 20);
    const Pages pages = BuildHoldRecordPages({test, rows, ""}, 0);
    const auto signedOn = std::find_if(pages.begin(), pages.end(),
                                       [](const DisplayList& p) { return Has({p}, "Operator's signature"); });
    ASSERT_NE(signedOn, pages.end()) << notes << " lines of notes";
    EXPECT_EQ(Missing({*signedOn}, "Witness's " + test.record.operatorName + " " + test.record.witness), "")
        << notes << " lines of notes";
  }
}

// A typed text cannot act on the page: control and direction characters are shown as
// escapes wherever they are typed; the notes keep their line breaks as lines.
TEST(HoldRecordPage, ControlAndDirectionCharactersAreShownEscaped) {
  HoldTestFile test = HoldTest(false, {}, 4, "ok\nResult: PASSED");
  test.record.witness = "W.\x1B[2J Witness", test.record.organisation = "Acme\u2066 Gas";
  test.record.location = "Plant\n2";
  const TableRows rows = Falling(130, 50.0, 0.004);
  const Pages pages = BuildHoldRecordPages({test, rows, "tank\u202e.KvtDat"}, 0);
  for (const char* shown : {"W.\\x1b[2J Witness", "Acme\\u2066 Gas", "Plant\\n2", "Run: tank\\u202e.KvtDat",
                            "ok", "Result: PASSED"})
    EXPECT_TRUE(Has(pages, shown)) << shown;
  for (const char* actor : {"\u202e", "\u2066", "\x1B", "\n"})
    EXPECT_EQ(Joined(pages).find(actor), std::string::npos);
}

TEST(HoldRecordPage, SaysTheDateOfTheTest) {
  const std::vector<std::array<std::string, 3>> cases{
      // start, end, shown
      {"2026-12-09T11:20:10+01:00", "2026-12-09T11:21:50+01:00", "2026-12-09 (UTC+01:00)"},
      {"2026-12-09T23:59:10-05:00", "2026-12-10T00:00:50-05:00", "2026-12-09 to 2026-12-10 (UTC-05:00)"},
      {"2026-12-09T11:20:10Z", "2026-12-09T11:21:50Z", "2026-12-09 (UTC)"},
      {"", "", "not recorded"},
      {"yesterday\u202e", "", "yesterday\\u202e"},
  };
  for (const auto& [start, end, shown] : cases) {
    HoldResult r;
    r.startDateTime = start, r.endDateTime = end;
    EXPECT_EQ(HoldTestDateText(r), shown) << start;
  }
}

TEST(HoldRecordPage, NothingLeavesThePrintableAreaOrOverlaps) {
  auto inside = [](Point p) {
    return p.x >= kHoldPageLeft && p.x <= kHoldPageRight && p.y >= kHoldPageBottom && p.y <= kHoldPageTop;
  };
  for (const PageCase& c : PageCases()) {
    for (const DisplayList& page : BuildHoldRecordPages({c.test, c.rows, kLong}, 0)) {
      std::vector<std::array<int, 4>> boxes;  // left, right, bottom, top of the texts on the page's paper
      for (const Text* t : All<Text>(page)) {
        const int height = t->font == FontRole::kPrintTitle ? 25 : 10,
                  width = EstimatedTextWidth(t->text, t->font);
        EXPECT_TRUE(inside(t->at) && inside({t->at.x + t->maxWidth, t->at.y - height}))
            << c.name << ": " << t->text;
        EXPECT_LE(width, t->maxWidth) << c.name << ": " << t->text;
        // Texts on paper of their own (the chart's labels) may lie over others on purpose.
        if (!t->background) boxes.push_back({t->at.x, t->at.x + width, t->at.y - height, t->at.y});
      }
      for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = 0; j < i; ++j) {
          const auto &a = boxes[i], &b = boxes[j];
          EXPECT_TRUE(a[1] <= b[0] || b[1] <= a[0] || a[2] >= b[3] || b[2] >= a[3])
              << c.name << ": " << i << ", " << j;
        }
      for (const Line* l : All<Line>(page)) EXPECT_TRUE(inside(l->from) && inside(l->to)) << c.name;
      for (const Polyline* p : All<Polyline>(page))
        EXPECT_TRUE(std::all_of(p->points.begin(), p->points.end(), inside)) << c.name;
    }
  }
}

// Readings in another unit are drawn in the unit of the start: a steady pressure is a flat
// trace across a change of units, and an error sample breaks the trace.
TEST(HoldRecordPage, TheTraceFollowsThePressureAcrossUnitsAndBreaksAtErrors) {
  struct Case {
    const char* name;
    int psiFrom;  // samples from here on are in psi
    std::vector<int> errors;
    std::size_t traces;  // polylines drawn
  };
  const Case cases[] = {
      {"mbar only", 120, {}, 1}, {"mbar then psi", 60, {}, 1}, {"an error sample", 120, {70}, 2}};
  for (const Case& c : cases) {
    TableRows rows = Falling(120, 4.0 / kUnits[testing::kFixtureUnit].toPsi, 0.0, c.errors);
    for (int i = c.psiFrom; i < 120; ++i) {
      SampleRow& r = rows.rows[static_cast<std::size_t>(i)];
      r.unitCode = kUnitPsi, r.unitName = "psi", r.value = 4.0f;
    }
    HoldTestFile test;
    test.criteria.allowed = 1.0;
    const HoldOutcome outcome = AnalyseHold(rows, 1, test.criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << c.name << ": " << outcome.message;
    test.result = outcome.result;
    const DisplayList page = BuildHoldRecordPages({test, rows, ""}, 0).at(0);
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
      {"first\n\nthird\n", 5, {"first", "", "third"}},
      {"\n  one two three four five six\n", 9, {"one two", "three four", "five six"}},
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
