#include "print/print_page.h"

#include <gtest/gtest.h>

#include <optional>

#include "chart_test_support.h"
#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

using testing::All;
using testing::CommitTo;
using testing::MakeChartModel;
using testing::SetSample;
using testing::TextsOf;

// A local clock time today, so that the expected texts do not depend on the zone.
std::time_t LocalTime(int h, int m, int s) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 14;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

const std::time_t kNow = LocalTime(16, 45, 30);

std::optional<std::string> TextAt(const DisplayList& list, Point at) {
  for (const Text* t : All<Text>(list))
    if (t->at == at) return t->text;
  return std::nullopt;
}

std::vector<std::pair<Point, Point>> TraceSegments(const DisplayList& list) {
  std::vector<std::pair<Point, Point>> out;
  std::size_t frameLines = 0;
  for (const Line* l : All<Line>(list)) {
    if (!(l->pen == kPrintFramePen)) continue;
    // The first four pen-B lines are the frame; the rest are the trace.
    if (frameLines++ < 4) continue;
    out.emplace_back(l->from, l->to);
  }
  return out;
}

// A logger file of `n` records in `unit`, loaded while the logger window is open.
std::unique_ptr<AppModel> LoggerModel(int n, int unit = kUnitPsi) {
  auto m = std::make_unique<AppModel>();
  LoggerStore& log = m->logger;
  log.recordCount = n;
  log.loaded = true;
  log.startText = "23:59:50";
  log.endText = "00:00:30";
  log.unitName = std::string(kUnits[unit].name);
  log.startHour = 23;
  log.startMinute = 59;
  log.startSecond = 50;
  log.intervalMs = 5000;
  for (int i = 0; i < n; ++i) log.fullScaleAt[i] = kUnits[unit].fullScale;
  m->loggerView.graphClosed = false;
  m->loggerView.shownPath = "/data/tank.KvtDat";
  return m;
}

TEST(PrintPage, WithoutARunOrALoadedFileOnlyTheFixedPartsArePrinted) {
  struct Case {
    const char* name;
    std::unique_ptr<AppModel> model;
  };
  std::vector<Case> cases;
  cases.push_back({"fresh program", std::make_unique<AppModel>()});
  cases.push_back({"logger window open, nothing loaded", LoggerModel(5)});
  cases.back().model->logger.loaded = false;
  cases.push_back({"logger file of one record", LoggerModel(1)});
  cases.push_back({"logger window open over a run", LoggerModel(0)});
  CommitTo(*cases.back().model, 10);
  cases.push_back({"file loaded but window closed, no run", LoggerModel(5)});
  cases.back().model->loggerView.graphClosed = true;

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PrintPage page = BuildPrintPage(*c.model, kNow);
    EXPECT_EQ(page.kind, PrintPageKind::kFixedOnly);
    EXPECT_EQ(TextsOf(page.list), std::vector<std::string>{" Pressure Graph "});
    const auto title = All<Text>(page.list).at(0);
    EXPECT_EQ(title->at, (Point{-510, 1120}));
    EXPECT_EQ(title->font, FontRole::kPrintTitle);

    std::vector<std::tuple<Point, Point, int, PenStyle>> lines;
    for (const Line* l : All<Line>(page.list)) lines.emplace_back(l->from, l->to, l->pen.width, l->pen.style);
    const auto D = PenStyle::kDotted, S = PenStyle::kSolid;
    const std::vector<std::tuple<Point, Point, int, PenStyle>> expected{
        {{-800, 1100}, {-20, 1100}, 4, S}, {{-750, 200}, {-10, 200}, 2, S},
        {{-750, 200}, {-750, 1000}, 2, S}, {{-750, 1000}, {-10, 1000}, 2, S},
        {{-10, 200}, {-10, 1000}, 2, S},   {{-10, 300}, {-755, 300}, 1, D},
        {{-10, 400}, {-755, 400}, 1, D},   {{-10, 500}, {-755, 500}, 1, D},
        {{-10, 600}, {-755, 600}, 1, D},   {{-10, 700}, {-755, 700}, 1, D},
        {{-10, 800}, {-755, 800}, 1, D},   {{-10, 900}, {-755, 900}, 1, D},
        {{-565, 200}, {-565, 1000}, 1, D}, {{-380, 200}, {-380, 1000}, 1, D},
        {{-195, 200}, {-195, 1000}, 1, D},
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(page.list.commands.size(), expected.size() + 1);
  }
}

TEST(PrintPage, AOneSampleRunHasLabelsAndTimesButNoTrace) {
  auto m = MakeChartModel(kUnitPsi, 5);
  m->run.startTime = LocalTime(10, 0, 0);
  m->run.unitName = "psi";
  CommitTo(*m, 1);
  const PrintPage page = BuildPrintPage(*m, kNow);
  EXPECT_EQ(page.kind, PrintPageKind::kRealTime);
  EXPECT_TRUE(TraceSegments(page.list).empty());
  EXPECT_EQ(TextAt(page.list, {-750, 1025}), "pressure:");
  EXPECT_EQ(TextAt(page.list, {-680, 1025}), "psi");
  EXPECT_EQ(TextAt(page.list, {-650, 1030}), std::nullopt);
  EXPECT_EQ(TextAt(page.list, {-770, 610}), "0");
  EXPECT_EQ(TextAt(page.list, {-200, 100}), "2024-03-14  16:45");
  EXPECT_EQ(TextAt(page.list, {-340, 1050}), std::nullopt);  // no path line for a run
  // N = 1: every quarter is at the start, the end one interval later.
  EXPECT_EQ(TextAt(page.list, {-750, 195}), "10:00:00");
  EXPECT_EQ(TextAt(page.list, {-240, 195}), "10:00:00");
  EXPECT_EQ(TextAt(page.list, {-70, 195}), "10:00:05");
  for (const Text* t : All<Text>(page.list)) {
    EXPECT_EQ(t->colour, kPrintInk) << t->text;
    EXPECT_EQ(t->background, Brush::Solid(kPrintPaper)) << t->text;
  }
}

TEST(PrintPage, TimeLabelsOfAFourSampleRunAtFiveSeconds) {
  auto m = MakeChartModel(kUnitPsi, 5);
  m->run.startTime = LocalTime(23, 59, 50);
  CommitTo(*m, 4);
  const PrintPage page = BuildPrintPage(*m, kNow);
  const std::vector<std::pair<int, const char*>> expected{
      {-750, "23:59:50"}, {-580, "23:59:55"}, {-410, "00:00:00"}, {-240, "00:00:05"}, {-70, "00:00:10"}};
  for (const auto& [x, text] : expected) EXPECT_EQ(TextAt(page.list, {x, 195}), text) << x;
}

TEST(PrintPage, TenPercentOfFullScaleReachesTheFrameAndTwentyPercentGoesBeyond) {
  struct Case {
    int unit;
    float tenth;
    int bottom;  // y of -10 %: a float a hair above 200 or below it, truncated toward zero
  };
  for (const Case c : {Case{kUnitPsi, 5.2f, 200}, Case{0, 0.35776f, 199}, Case{6, 35.8488f, 200}}) {
    SCOPED_TRACE(kUnits[c.unit].name);
    auto m = MakeChartModel(c.unit);
    SetSample(*m, 0, 0.0f, c.unit);
    SetSample(*m, 1, c.tenth, c.unit);
    SetSample(*m, 2, 2 * c.tenth, c.unit);
    SetSample(*m, 3, -c.tenth, c.unit);
    CommitTo(*m, 4);
    const auto segments = TraceSegments(BuildPrintPage(*m, kNow).list);
    // step = 740 / 3 = 246.666...; x = i * step - 750, truncated toward zero.
    const std::vector<std::pair<Point, Point>> expected{
        {{-750, 600}, {-503, 1000}}, {{-503, 1000}, {-256, 1400}}, {{-256, 1400}, {-10, c.bottom}}};
    EXPECT_EQ(segments, expected);
  }
}

TEST(PrintPage, PointsInDifferentUnitsShareOneScale) {
  auto m = MakeChartModel(kUnitPsi);
  SetSample(*m, 0, 0.0f, kUnitPsi);
  SetSample(*m, 1, 832.0f * 0.05f, 1);  // half the way up in ozin
  CommitTo(*m, 2);
  const auto segments = TraceSegments(BuildPrintPage(*m, kNow).list);
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].second, (Point{-10, 800}));
}

TEST(PrintPage, SuperscriptTwoStandsBesideOzinAndKgcmOnBothPages) {
  for (int unit = 0; unit < kUnitCount; ++unit) {
    const std::string name(kUnits[unit].name);
    SCOPED_TRACE(name);
    const bool squared = name == "ozin" || name == "kgcm";

    auto run = MakeChartModel(unit);
    run->run.unitName = name;
    CommitTo(*run, 3);
    const PrintPage runPage = BuildPrintPage(*run, kNow);
    EXPECT_EQ(TextAt(runPage.list, {-680, 1025}), name);
    EXPECT_EQ(TextAt(runPage.list, {-650, 1030}), squared ? std::optional<std::string>("2") : std::nullopt);

    const PrintPage logPage = BuildPrintPage(*LoggerModel(3, unit), kNow);
    EXPECT_EQ(TextAt(logPage.list, {-680, 1025}), name);
    EXPECT_EQ(TextAt(logPage.list, {-650, 1030}), squared ? std::optional<std::string>("2") : std::nullopt);
  }
}

TEST(PrintPage, RealTimeValueLabelsComeFromTheLatestChartPaint) {
  auto m = MakeChartModel(kUnitPsi);
  CommitTo(*m, 2);
  // Before any paint: the labels the chart computes for the current unit (psi).
  PrintPage page = BuildPrintPage(*m, kNow);
  EXPECT_EQ(TextAt(page.list, {-800, 1003}), FormatSigned6Cut(LiveValueLabels(52.0f)[0]));
  EXPECT_EQ(TextAt(page.list, {-800, 1003}), "+5.200");
  EXPECT_EQ(TextAt(page.list, {-800, 803}), "+2.600");
  EXPECT_EQ(TextAt(page.list, {-800, 415}), "-2.600");
  EXPECT_EQ(TextAt(page.list, {-800, 215}), "-5.200");

  // After a paint, the published labels; the middle one is not printed.
  m->chart.printValueLabels = {"a", "b", "c", "d", "e"};
  page = BuildPrintPage(*m, kNow);
  std::vector<std::string> labels;
  for (int y : {1003, 803, 415, 215}) labels.push_back(TextAt(page.list, {-800, y}).value_or("?"));
  EXPECT_EQ(labels, (std::vector<std::string>{"a", "b", "d", "e"}));
}

TEST(PrintPage, LoggerPageUsesTheFilesTimesPathAndPublishedLabels) {
  auto m = LoggerModel(9);
  m->logger.values[4] = 5.2f;
  m->loggerView.printValueLabels = {"p", "q", "r", "s"};
  // A run in the real-time store is not what the open logger window prints.
  CommitTo(*m, 50);
  const PrintPage page = BuildPrintPage(*m, kNow);
  EXPECT_EQ(page.kind, PrintPageKind::kLogger);
  EXPECT_EQ(TextAt(page.list, {-340, 1050}), "/data/tank.KvtDat");
  EXPECT_EQ(TextAt(page.list, {-680, 1025}), "psi");
  std::vector<std::string> labels;
  for (int y : {1003, 803, 415, 215}) labels.push_back(TextAt(page.list, {-800, y}).value_or("?"));
  EXPECT_EQ(labels, (std::vector<std::string>{"p", "q", "r", "s"}));
  // Stored first and last; between them from the start time of day, over midnight.
  // N = 9: quarters at 2, 4 and 6 records of 5 s.
  const std::vector<std::pair<int, const char*>> times{
      {-750, "23:59:50"}, {-580, "00:00:00"}, {-410, "00:00:10"}, {-240, "00:00:20"}, {-70, "00:00:30"}};
  for (const auto& [x, text] : times) EXPECT_EQ(TextAt(page.list, {x, 195}), text) << x;
  // 8 segments at 92.5 units each; record 4 reaches the top of the frame.
  const auto segments = TraceSegments(page.list);
  ASSERT_EQ(segments.size(), 8u);
  EXPECT_EQ(segments[3].second, (Point{-380, 1000}));
  EXPECT_EQ(segments[7].second, (Point{-10, 600}));
}

TEST(PrintPage, LoggerLabelsBeforeTheGraphWasDrawnFollowTheLastRecordsUnit) {
  auto m = LoggerModel(3, kUnitPsi);
  m->logger.fullScaleAt[2] = kUnits[7].fullScale;  // the last record in kgcm
  const PrintPage page = BuildPrintPage(*m, kNow);
  std::vector<std::string> labels;
  for (int y : {1003, 803, 415, 215}) labels.push_back(TextAt(page.list, {-800, y}).value_or("?"));
  EXPECT_EQ(labels, (std::vector<std::string>{"+0.366", "+0.183", "-0.183", "-0.366"}));
  // In psi the range top is 52 x 0.1 rounded to a float just under 5.2, cut by truncation.
  m->logger.fullScaleAt[2] = 52.0f;
  EXPECT_EQ(LoggerFullViewPrintLabels(m->logger),
            (std::array<std::string, 4>{"+5.199", "+2.599", "-2.599", "-5.199"}));
  EXPECT_EQ(LoggerFullViewPrintLabels(LoggerStore{}),
            (std::array<std::string, 4>{" 0.000", " 0.000", " 0.000", " 0.000"}));
}

TEST(PrintPage, ARecordWithoutAFiniteHeightBreaksTheTraceInsteadOfShootingOffThePage) {
  auto m = LoggerModel(4);
  m->logger.values[2] = 1.0f;
  m->logger.fullScaleAt[2] = 0.0f;  // a damaged file
  const auto segments = TraceSegments(BuildPrintPage(*m, kNow).list);
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0], (std::pair<Point, Point>{{-750, 600}, {-503, 600}}));
}

}  // namespace
}  // namespace pv
