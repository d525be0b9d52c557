// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/print_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "chart/acquisition.h"
#include "chart_test_support.h"
#include "files/datalogger_file.h"
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
  // N = 1: every label is at the one sample's time.
  EXPECT_EQ(TextAt(page.list, {-750, 195}), "10:00:00");
  EXPECT_EQ(TextAt(page.list, {-240, 195}), "10:00:00");
  EXPECT_EQ(TextAt(page.list, {-70, 195}), "10:00:00");
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
      {-750, "23:59:50"}, {-580, "23:59:55"}, {-410, "00:00:00"}, {-240, "00:00:05"}, {-70, "00:00:05"}};
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

std::vector<std::string> ValueLabels(const PrintPage& page) {
  std::vector<std::string> labels;
  for (int y : {1003, 803, 415, 215}) labels.push_back(TextAt(page.list, {-800, y}).value_or("?"));
  return labels;
}

TEST(PrintPage, RealTimeValueLabelsFollowTheLatestReadingsUnit) {
  auto m = MakeChartModel(kUnitPsi);
  CommitTo(*m, 2);
  EXPECT_EQ(ValueLabels(BuildPrintPage(*m, kNow)), (std::vector<std::string>{"+5.200", "+2.600", "-2.600", "-5.200"}));
  m->run.fullScale = kUnits[7].fullScale;  // the meter now shows kgcm
  EXPECT_EQ(ValueLabels(BuildPrintPage(*m, kNow)), (std::vector<std::string>{"+0.366", "+0.183", "-0.183", "-0.366"}));
}

TEST(PrintPage, LoggerPageUsesTheFilesTimesAndPath) {
  auto m = LoggerModel(9);
  m->logger.values[4] = 5.2f;
  // A run in the real-time store is not what the open logger window prints.
  CommitTo(*m, 50);
  const PrintPage page = BuildPrintPage(*m, kNow);
  EXPECT_EQ(page.kind, PrintPageKind::kLogger);
  EXPECT_EQ(TextAt(page.list, {-340, 1050}), "/data/tank.KvtDat");
  EXPECT_EQ(TextAt(page.list, {-680, 1025}), "psi");
  EXPECT_EQ(ValueLabels(page), (std::vector<std::string>{"+5.200", "+2.600", "-2.600", "-5.200"}));
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

TEST(PrintPage, LoggerLabelsFollowTheLastRecordsUnit) {
  auto m = LoggerModel(3, kUnitPsi);
  m->logger.fullScaleAt[2] = kUnits[7].fullScale;  // the last record in kgcm
  EXPECT_EQ(ValueLabels(BuildPrintPage(*m, kNow)), (std::vector<std::string>{"+0.366", "+0.183", "-0.183", "-0.366"}));
}

// The window's Print of a run and the command line's print of the file it was saved
// as: one page, but for the file's path line. The last time label is the last
// sample's, under the trace's right end, and the frame's edges read +-5.200 psi.
TEST(PrintPage, ARunAndItsSavedFilePrintTheSamePage) {
  auto run = MakeChartModel(kUnitPsi);
  run->run.unitName = "psi";
  ConfirmRun(run->run, run->statsBar, 1, NullObserver());
  StartRun(*run, LocalTime(10, 0, 0), NullObserver());
  for (int i = 0; i < 40; ++i) {
    SetSample(*run, i, 0.25f * static_cast<float>(i % 9) - 1.0f);
    run->store.unitNameAt[i] = kUnits[kUnitPsi].name;
    run->run.newSample = true;
    ASSERT_TRUE(CommitTick(*run, false, NullObserver()));
  }
  const PrintPage runPage = BuildPrintPage(*run, kNow);

  auto decoded = DecodeDataLoggerFile(EncodeDataLoggerFile(*run));
  ASSERT_TRUE(decoded.ok());
  auto file = std::make_unique<AppModel>();
  AdoptLoggerFile(file->logger, std::move(decoded).value());
  file->loggerView.graphClosed = 0;
  file->loggerView.shownPath = "/data/run.KvtDat";
  PrintPage filePage = BuildPrintPage(*file, kNow);
  ASSERT_EQ(filePage.kind, PrintPageKind::kLogger);
  auto& commands = filePage.list.commands;
  const auto path = std::find_if(commands.begin(), commands.end(), [](const DisplayCommand& c) {
    const Text* t = std::get_if<Text>(&c);
    return t && t->text == "/data/run.KvtDat";
  });
  ASSERT_NE(path, commands.end());
  commands.erase(path);

  EXPECT_EQ(filePage.list, runPage.list);
  EXPECT_EQ(TextAt(runPage.list, {-70, 195}), "10:00:39");
  EXPECT_EQ(ValueLabels(runPage), (std::vector<std::string>{"+5.200", "+2.600", "-2.600", "-5.200"}));
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
