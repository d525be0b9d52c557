// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

// "w01 w02 ... wNN": words that each say where they stand, so that a missing one shows.
std::string Words(const std::string& stem, int n, const char* between = " ") {
  std::string out;
  for (int k = 1; k <= n; ++k) out += (k > 1 ? between : "") + stem + std::to_string(k);
  return out;
}

std::vector<std::string> Tokens(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::vector<std::string> PageTexts(const DisplayList& page) { return TextsOf(page); }

std::vector<std::string> AllTexts(const Pages& pages) {
  std::vector<std::string> out;
  for (const DisplayList& p : pages)
    for (std::string& t : TextsOf(p)) out.push_back(std::move(t));
  return out;
}

bool Has(const std::vector<std::string>& texts, const std::string& want) {
  return std::find(texts.begin(), texts.end(), want) != texts.end();
}

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// The words of all the texts, as a reader of the page would find them.
std::vector<std::string> WordsOn(const std::vector<std::string>& texts) {
  std::vector<std::string> out;
  for (const std::string& t : texts)
    for (std::string& w : Tokens(t)) out.push_back(std::move(w));
  return out;
}

Pages Build(const HoldTestFile& test, const TableRows& rows, const std::string& runName = "tank.KvtDat") {
  return BuildHoldRecordPages({test, rows, runName}, 0);
}

struct PageCase {
  const char* name;
  HoldTestFile test;
  TableRows rows;
  std::vector<std::string> expected;  // texts that must be on the pages
};

std::vector<PageCase> PageCases() {
  std::vector<PageCase> cases;
  cases.push_back({"a falling pass",
                   HoldTest(true, {}, 4, "Flanges checked."),
                   Falling(130, 50.0, 0.004),
                   {"Acme Gas Services",
                    "PASSED",
                    "complete",
                    "-0.4 mbar (-0.80 %)",
                    "-0.4 mbar at 11:21:50",
                    "50.0 mbar",
                    "49.6 mbar",
                    "1.00 % of the start (0.5 mbar)",
                    "49.0 mbar",
                    "-0.24 mbar/min",
                    "falling \xE2\x86\x93",
                    "11:20:35",
                    "00:01:40",
                    "-0.1 mbar",
                    "steeper than the step before",
                    "HT-0042",
                    "2026-12-09 (UTC+01:00)",
                    "Riser 3, north wing",
                    "EN 1775",
                    "100 mbar",
                    "\xC2\xB1" "345 mbar",
                    "0.1 mbar",
                    "SN 123",
                    "2027-03-31",
                    "Flanges checked.",
                    "Operator's signature",
                    "Witness's signature",
                    "A. Operator",
                    "W. Witness",
                    "start 11:20:10",
                    "end 11:21:50",
                    "minimum 49.0 mbar",
                    "allowed drop",
                    "Run: tank.KvtDat",
                    "Record revision 1"}});
  cases.push_back({"a fail with long texts everywhere",
                   HoldTest(false,
                            {"dropped 0.80 % (allowed 0.50 %)", "fell below 49.0 mbar at 11:24:10", Words("r", 90),
                             Words("s", 90), "2 error samples in the window"},
                            8, Words("n", 300) + "\n" + Words("m", 300)),
                   Falling(111, 50.0, 0.004, {40, 41}),
                   {"NOT PASSED", "dropped 0.80 % (allowed 0.50 %)", "fell below 49.0 mbar at 11:24:10",
                    "11:23:30"}});
  cases.push_back({"figures no number can place", HoldTest(false, {}, 8, ""), Falling(130, 3e38, 1e36), {}});
  cases.back().test.result.start = std::numeric_limits<double>::quiet_NaN();
  cases.back().test.result.allowedAmount = 1.0;
  cases.back().test.result.minimum = -1e308;
  cases.back().test.result.checkpoints[0].seconds = 1e300;
  cases.push_back({"no samples at hand",
                   HoldTest(true, {}, 2, ""),
                   TableRows{},
                   {"PASSED", "The run's samples are not at hand."}});
  cases.push_back({"a megabyte in the notes and in names", HoldTest(true, {}, 4, std::string(1 << 20, 'x')),
                   Falling(130, 50, 0), {}});
  cases.back().test.record.witness = std::string(1 << 20, 'y');
  cases.back().test.record.systemTested = std::string(1 << 20, 'z');
  for (int i = 0; i < 11; ++i) cases[1].test.record.location += "Long location name ";
  return cases;
}

TEST(HoldRecordPage, CarriesTheRecordTheResultAndItsReasons) {
  for (const PageCase& c : PageCases()) {
    if (c.test.record.notes.size() > 100000) continue;
    const Pages pages = Build(c.test, c.rows);
    const std::vector<std::string> texts = AllTexts(pages);
    for (const std::string& want : c.expected) EXPECT_TRUE(Has(texts, want)) << c.name << ": " << want;
    for (const char* label :
         {"Pressure Test Record", "Test ID:", "System tested:", "Location:", "Procedure or standard:",
          "Required test pressure:", "Test medium:", "Temperature at start:", "Temperature at end:",
          "Instrument:", "Serial number:", "Instrument range:", "Instrument accuracy:", "Calibration due:",
          "Operator:", "Witness:", "Date of test:", "Notes:", "State:", "Largest deviation:", "Checkpoints"})
      EXPECT_TRUE(Has(texts, label)) << c.name << ": " << label;
    const bool traced = std::any_of(pages.begin(), pages.end(), [](const DisplayList& p) { return !All<Polyline>(p).empty(); });
    EXPECT_EQ(traced, !c.rows.rows.empty()) << c.name;
  }
}

// Nothing typed is cut: fields wrap, whatever is too long for one page goes on over more,
// each page numbered.
TEST(HoldRecordPage, NothingTypedIsCutAndARecordGoesOnOverPages) {
  struct Case {
    const char* name;
    std::function<void(HoldRecord&)> type;
    std::string typed;  // every word of it must be on the pages
    bool severalPages;
  };
  const std::string word(120, 'W');
  const std::string system = Words("sys", 40), location = Words("loc", 40), notes = Words("line", 6, "\n"),
                    witness = Words("wit", 30), organisation = Words("org", 50), book = Words("par", 160, "\n");
  const std::vector<Case> cases{
      {"a long system tested", [&](HoldRecord& r) { r.systemTested = system; }, system, false},
      {"a long location", [&](HoldRecord& r) { r.location = location; }, location, false},
      {"a note of six lines", [&](HoldRecord& r) { r.notes = notes; }, notes, false},
      {"a witness's long name", [&](HoldRecord& r) { r.witness = witness; }, witness, false},
      {"a long organisation", [&](HoldRecord& r) { r.organisation = organisation; }, organisation, false},
      {"a word longer than a line", [&](HoldRecord& r) { r.testId = word; }, word, false},
      {"notes of a hundred and sixty lines", [&](HoldRecord& r) { r.notes = book; }, book, true},
  };
  for (const Case& c : cases) {
    HoldTestFile test = HoldTest(true, {}, 8, "");
    c.type(test.record);
    const Pages pages = Build(test, Falling(130, 50.0, 0.004));
    const std::vector<std::string> texts = AllTexts(pages);
    const std::vector<std::string> words = WordsOn(texts);
    if (c.typed == word) {
      std::string joined;
      for (const std::string& t : texts)
        if (t.find_first_not_of('W') == std::string::npos) joined += t;
      EXPECT_EQ(joined, word) << c.name;
    } else {
      for (const std::string& w : Tokens(c.typed)) EXPECT_TRUE(Has(words, w)) << c.name << ": " << w << " is missing";
    }
    for (const std::string& t : texts) EXPECT_EQ(t.find("..."), std::string::npos) << c.name << ": " << t;
    EXPECT_EQ(pages.size() > 1, c.severalPages) << c.name;
    for (std::size_t k = 0; k < pages.size(); ++k) {
      const std::string number = "Page " + std::to_string(k + 1) + " of " + std::to_string(pages.size());
      EXPECT_EQ(Has(PageTexts(pages[k]), number), pages.size() > 1) << c.name << ": " << number;
      EXPECT_TRUE(Has(PageTexts(pages[k]), kHoldPageTitle)) << c.name << ": page " << k + 1;
    }
  }
}

// Wherever the page breaks, the lines to sign on are on the page that shows the names
// under them, and every line of the names is there.
TEST(HoldRecordPage, SignatureLinesStayWithTheNamesUnderThem) {
  const std::string operatorName = Words("op", 20), witness = Words("wit", 20);
  for (int notes = 0; notes <= 90; notes += 3) {
    HoldTestFile test = HoldTest(true, {}, 8, Words("note", notes, "\n"));
    test.record.operatorName = operatorName;
    test.record.witness = witness;
    const Pages pages = Build(test, Falling(130, 50.0, 0.004));
    std::size_t signedOn = pages.size();
    for (std::size_t k = 0; k < pages.size(); ++k)
      if (Has(PageTexts(pages[k]), "Operator's signature")) signedOn = k;
    ASSERT_LT(signedOn, pages.size()) << notes << " lines of notes";
    const std::vector<std::string> words = WordsOn(PageTexts(pages[signedOn]));
    EXPECT_TRUE(Has(words, "Witness's")) << notes;
    for (const std::string& w : Tokens(operatorName + " " + witness))
      EXPECT_TRUE(Has(words, w)) << notes << " lines of notes: " << w << " is not beside its line";
  }
}

// A typed text cannot act on the page: control and direction-changing characters are
// shown as escapes wherever they are typed; line breaks in the notes stay line breaks.
TEST(HoldRecordPage, ControlAndDirectionCharactersAreShownEscaped) {
  struct Case {
    const char* name;
    std::function<void(HoldTestFile&, std::string&)> type;
    std::vector<std::string> shown;  // texts on the page
  };
  const std::vector<Case> cases{
      {"an override in the test ID", [](HoldTestFile& t, std::string&) { t.record.testId = "T-17\xE2\x80\xAEgnp.exe"; },
       {"T-17\\u202egnp.exe"}},
      {"an escape sequence in the witness",
       [](HoldTestFile& t, std::string&) { t.record.witness = "W.\x1B[2J Witness"; },
       {"W.\\x1b[2J Witness"}},
      {"an isolate in the organisation",
       [](HoldTestFile& t, std::string&) { t.record.organisation = "Acme\xE2\x81\xA6 Gas"; },
       {"Acme\\u2066 Gas"}},
      {"a line break in the location", [](HoldTestFile& t, std::string&) { t.record.location = "Plant\n2"; },
       {"Plant\\n2"}},
      {"an override in the run's name",
       [](HoldTestFile&, std::string& run) { run = "tank\xE2\x80\xAE.KvtDat"; },
       {"Run: tank\\u202e.KvtDat"}},
      {"line breaks in the notes", [](HoldTestFile& t, std::string&) { t.record.notes = "ok\nResult: PASSED"; },
       {"ok", "Result: PASSED"}},
  };
  const std::vector<std::string> actors{"\xE2\x80\xAE", "\xE2\x81\xA6", "\x1B", "\n"};
  for (const Case& c : cases) {
    HoldTestFile test = HoldTest(false, {}, 4, "");
    std::string run = "tank.KvtDat";
    c.type(test, run);
    const std::vector<std::string> texts = AllTexts(Build(test, Falling(130, 50.0, 0.004), run));
    for (const std::string& want : c.shown) EXPECT_TRUE(Has(texts, want)) << c.name << ": " << want;
    for (const std::string& actor : actors) EXPECT_FALSE(Contains(texts, actor)) << c.name;
  }
}

// Every page carries the run's date, or says that it is not recorded.
TEST(HoldRecordPage, SaysTheDateOfTheTest) {
  struct Case {
    std::string start, end;
    std::string shown;
  };
  const std::vector<Case> cases{
      {"2026-12-09T11:20:10+01:00", "2026-12-09T11:21:50+01:00", "2026-12-09 (UTC+01:00)"},
      {"2026-12-09T23:59:10-05:00", "2026-12-10T00:00:50-05:00", "2026-12-09 to 2026-12-10 (UTC-05:00)"},
      {"2026-12-09T11:20:10Z", "2026-12-09T11:21:50Z", "2026-12-09 (UTC)"},
      {"", "", "not recorded"},
      {"yesterday\xE2\x80\xAE", "", "yesterday\\u202e"},
  };
  for (const Case& c : cases) {
    HoldTestFile test = HoldTest(true, {}, 4, "");
    test.result.startDateTime = c.start;
    test.result.endDateTime = c.end;
    EXPECT_EQ(HoldTestDateText(test.result), c.shown) << c.start;
    EXPECT_TRUE(Has(AllTexts(Build(test, Falling(130, 50.0, 0.004))), c.shown)) << c.start;
  }
}

// A test that did not run its course cannot be read as a pass, in large type beside the
// verdict and as the test's state among the figures.
TEST(HoldRecordPage, ShowsATestThatDidNotRunItsCourse) {
  struct Case {
    const char* name;
    HoldState state;
    std::vector<std::string> shown;
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases{
      {"complete", HoldState::Complete, {"NOT PASSED", "complete"}, {"NOT COMPLETE", "STILL GOING"}},
      {"ended early",
       HoldState::EndedEarly,
       {"NOT PASSED", "NOT COMPLETE", "ended early at 00:01:40 of 00:10:00"},
       {"PASSED", "STILL GOING"}},
      {"going", HoldState::Going, {"NOT PASSED", "STILL GOING", "going, 00:01:40 of 00:10:00"}, {"PASSED"}},
  };
  for (const Case& c : cases) {
    HoldTestFile test = HoldTest(false, {}, 4, "");
    test.result.state = c.state;
    test.result.holdSeconds = 600;
    const std::vector<std::string> texts = AllTexts(Build(test, Falling(130, 50.0, 0.004)));
    for (const std::string& want : c.shown) EXPECT_TRUE(Has(texts, want)) << c.name << ": " << want;
    for (const std::string& not_ : c.absent) EXPECT_FALSE(Has(texts, not_)) << c.name << ": " << not_;
  }
}

// The foot of every page names the run and the record as written, so that a reader can
// check the paper against the files.
TEST(HoldRecordPage, TheFootNamesTheRunAndTheRecord) {
  const std::string fingerprint(64, 'a'), data(64, '7');
  struct Case {
    const char* name;
    int revision;
    std::string fingerprint;
    std::optional<RunBinding> run;
    std::vector<std::string> words;
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases{
      {"not saved yet", 1, "", std::nullopt, {"revision", "1"}, {"fingerprint", "SHA-256"}},
      {"written and bound", 3, fingerprint, RunBinding{data, "", 130}, {"3,", fingerprint, data}, {}},
  };
  for (const Case& c : cases) {
    HoldTestFile test = HoldTest(true, {}, 4, Words("para", 160, "\n"));
    test.revision = c.revision;
    test.fingerprint = c.fingerprint;
    test.run = c.run;
    const Pages pages = Build(test, Falling(130, 50.0, 0.004));
    ASSERT_GT(pages.size(), 1u) << c.name;
    for (const DisplayList& page : pages) {
      const std::vector<std::string> words = WordsOn(PageTexts(page));
      for (const std::string& w : c.words) EXPECT_TRUE(Has(words, w)) << c.name << ": " << w;
      for (const std::string& w : c.absent) EXPECT_FALSE(Contains(PageTexts(page), w)) << c.name << ": " << w;
    }
  }
}

TEST(HoldRecordPage, NothingLeavesThePrintableAreaOrOverlaps) {
  auto inside = [](Point p) {
    return p.x >= kHoldPageLeft && p.x <= kHoldPageRight && p.y >= kHoldPageBottom && p.y <= kHoldPageTop;
  };
  for (const PageCase& c : PageCases()) {
    const Pages pages = BuildHoldRecordPages({c.test, c.rows, kLong}, 0);
    for (const DisplayList& page : pages) {
      const std::vector<const Text*> texts = All<Text>(page);
      for (const Text* t : texts) {
        const int height = t->font == FontRole::kPrintTitle ? 25 : 10;
        EXPECT_TRUE(inside(t->at) && inside({t->at.x + t->maxWidth, t->at.y - height}))
            << c.name << ": " << t->text;
        EXPECT_LE(EstimatedTextWidth(t->text, t->font), t->maxWidth) << c.name << ": " << t->text;
      }
      // Texts on paper of their own (the chart's labels) may lie over others on purpose.
      struct Box {
        int left, right, bottom, top;
      };
      std::vector<Box> boxes;
      for (const Text* t : texts)
        if (!t->background)
          boxes.push_back({t->at.x, t->at.x + EstimatedTextWidth(t->text, t->font),
                           t->at.y - (t->font == FontRole::kPrintTitle ? 25 : 10), t->at.y});
      for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
          const Box &a = boxes[i], &b = boxes[j];
          const bool apart = a.right <= b.left || b.right <= a.left || a.bottom >= b.top || b.bottom >= a.top;
          EXPECT_TRUE(apart) << c.name << ": texts " << i << " and " << j << " overlap";
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
    const Pages pages = Build(test, rows, "");
    ASSERT_EQ(pages.size(), 1u) << c.name;
    EXPECT_EQ(All<Polyline>(pages[0]).size(), c.traces) << c.name;
    std::vector<int> ys;
    for (const Polyline* p : All<Polyline>(pages[0]))
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
