// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "chart/chart_layout.h"
#include "chart/cursors.h"
#include "chart/zoom.h"
#include "chart_test_support.h"
#include "text_format.h"

namespace pv {
namespace {

using testing::All;
using testing::CommitTo;
using testing::kRunStart;
using testing::LinesIn;
using testing::MakeChartModel;
using testing::Paint;
using testing::SetErrorSample;
using testing::SetSample;

// 760 x 700 gives a 396-pixel plot: 4.0 px per sample, so half-way points are exact.
constexpr int kW = 760;
constexpr int kH = 700;

std::unique_ptr<AppModel> Chart(const std::vector<float>& psi, int intervalSeconds = 1) {
  auto m = MakeChartModel(kUnitPsi, intervalSeconds);
  for (std::size_t i = 0; i < psi.size(); ++i) SetSample(*m, static_cast<int>(i), psi[i]);
  CommitTo(*m, 1);
  Paint(*m, kW, kH);
  CommitTo(*m, static_cast<int>(psi.size()));
  Paint(*m, kW, kH);
  return m;
}

std::string Clock(int seconds) {
  return FormatLocalTime(kRunStart + seconds, "%H:%M:%S");
}

TEST(ChartCursors, AClickGoesToTheNearestSampleAndATieToTheLeft) {
  const std::pair<int, int> cases[] = {
      {334, 10}, {335, 10}, {336, 10}, {337, 11},  {332, 9}, {331, 9},
      {294, 0},  {296, 0},  {297, 1},  {200, -22},  // left of the plot: not clamped, drawn where it falls,
                                                    // never read out
  };
  for (auto [x, index] : cases) {
    SCOPED_TRACE(x);
    auto m = Chart(std::vector<float>(50, 1.0f));
    ModelObserver o;
    ASSERT_TRUE(RightRelease(*m, x, kW, kH, o));
    EXPECT_EQ(m->chart.cursorA, index);
    // The cursor is drawn on the sample it went to, whatever the click's own x.
    const ChartFrame frame = Paint(*m, kW, kH);
    const std::vector<const Line*> lines = LinesIn(frame.plot.list, kCursorAColour);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->from.x, 4 * index);
  }
  auto m = Chart(std::vector<float>(50, 1.0f));
  ModelObserver o;
  EXPECT_FALSE(RightRelease(*m, 294 + 200, kW, kH, o));  // beyond the last sample
  EXPECT_TRUE(m->chart.cursorsHidden);
}

TEST(ChartCursors, CursorsAlternateAndReadOutBetweenThem) {
  std::vector<float> psi(40, 0.5f);
  psi[5] = 1.0f;
  psi[7] = 4.25f;
  psi[9] = -3.5f;
  psi[10] = 2.0f;
  auto m = Chart(psi, 2);
  ModelObserver o;
  ASSERT_TRUE(RightRelease(*m, 294 + 40, kW, kH, o));  // A at 10
  EXPECT_EQ(m->chart.cursorStage, CursorStage::kAPlaced);
  EXPECT_TRUE(LayoutChart(*m, kW, kH).cursorBarChanged);
  ChartFrame f = DrawChart(*m, kW, kH);
  EXPECT_EQ(m->cursorBar.aValue, "2.000 ");
  EXPECT_EQ(m->cursorBar.aTime, Clock(20));
  EXPECT_EQ(m->cursorBar.bValue, "");
  EXPECT_FALSE(m->cursorBar.clearEnabled);
  ASSERT_EQ(LinesIn(f.plot.list, kCursorAColour).size(), 1u);
  EXPECT_EQ(LinesIn(f.plot.list, kCursorAColour)[0]->from, (Point{40, 0}));
  EXPECT_EQ(LinesIn(f.plot.list, kCursorAColour)[0]->to, (Point{40, 432}));

  ASSERT_TRUE(RightRelease(*m, 294 + 20, kW, kH, o));  // B at 5
  EXPECT_EQ(m->chart.cursorStage, CursorStage::kBothPlaced);
  f = Paint(*m, kW, kH);
  EXPECT_EQ(LinesIn(f.plot.list, kCursorBColour).size(), 1u);
  const CursorBarTexts& t = m->cursorBar;
  EXPECT_TRUE(t.clearEnabled);
  EXPECT_EQ(t.bValue, "1.000 ");
  EXPECT_EQ(t.bTime, Clock(10));
  // Samples 5..10: 1.0, 0.5, 4.25, 0.5, -3.5, 2.0.
  EXPECT_EQ(t.maximum, "4.250 ");
  EXPECT_EQ(t.maximumTime, Clock(14));
  EXPECT_EQ(t.minimum, "-3.500 ");
  EXPECT_EQ(t.minimumTime, Clock(18));
  EXPECT_EQ(t.average, "0.792 ");  // 4.75 / 6
  EXPECT_EQ(m->chart.cursorLo, 5);
  EXPECT_EQ(m->chart.cursorHi, 10);

  // The third click moves A again.
  ASSERT_TRUE(RightRelease(*m, 294 + 4, kW, kH, o));
  EXPECT_EQ(m->chart.cursorA, 1);
  EXPECT_EQ(m->chart.cursorB, 5);
}

TEST(ChartCursors, ReadoutsAreInTheUnitOfTheLatestReading) {
  auto m = Chart(std::vector<float>(20, 1.0f));
  SetSample(*m, 3, 0.1f, 0 /* bar */);
  ModelObserver o;
  RightRelease(*m, 294 + 12, kW, kH, o);
  Paint(*m, kW, kH);
  EXPECT_EQ(m->cursorBar.aValue, "1.453 ");    // 52 / 3.5776 x 0.1
  m->run.fullScale = kUnits[4].fullScale;  // the meter now reads mbar
  Paint(*m, kW, kH);
  EXPECT_EQ(m->cursorBar.aValue, "100.233 ");  // 0.1 bar = 100 mbar
}

TEST(ChartCursors, ErrorSamplesAndUnqualifiedExtremes) {
  struct Case {
    const char* name;
    std::vector<float> psi;  // samples 0..3, cursors at 0 and 3
    int errorAt;             // index of the error sample, -1 none
    bool errorHigh;
    const char *maximum, *minimum, *average, *aValue;
  };
  const Case cases[] = {
      {"ERR1 is the maximum", {1.0f, 0.0f, 0.5f, 2.0f}, 1, true, "ERR1", "0.500 ", "----", "1.000 "},
      {"ERR2 is the minimum", {1.0f, 0.0f, 0.5f, 2.0f}, 2, false, "2.000 ", "ERR2", "----", "1.000 "},
      {"ERR2 at a cursor", {1.0f, 0.0f, 0.5f, 2.0f}, 0, false, "2.000 ", "ERR2", "----", "ERR2"},
      {"nothing below 400",
       {500.0f, 450.0f, 400.0f, 401.0f},
       -1,
       false,
       "500.000 ",
       "----",
       "437.750 ",
       "500.000 "},
      {"nothing above -400",
       {-500.0f, -400.0f, -450.0f, -401.0f},
       -1,
       false,
       "----",
       "-500.000 ",
       "-437.750 ",
       "-500.000 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = Chart(c.psi);
    if (c.errorAt >= 0) SetErrorSample(*m, c.errorAt, c.errorHigh);
    ModelObserver o;
    RightRelease(*m, 294, kW, kH, o);
    RightRelease(*m, 294 + 12, kW, kH, o);
    Paint(*m, kW, kH);
    EXPECT_EQ(m->cursorBar.maximum, c.maximum);
    EXPECT_EQ(m->cursorBar.minimum, c.minimum);
    EXPECT_EQ(m->cursorBar.average, c.average);
    EXPECT_EQ(m->cursorBar.aValue, c.aValue);
    EXPECT_EQ(m->cursorBar.maximumTime.empty(), std::string(c.maximum) == "----");
    EXPECT_EQ(m->cursorBar.minimumTime.empty(), std::string(c.minimum) == "----");
  }
}

TEST(ChartCursors, ClearIsRefusedBetweenPlacingAAndB) {
  auto m = Chart(std::vector<float>(20, 1.0f));
  ModelObserver o;
  RightRelease(*m, 300, kW, kH, o);
  Paint(*m, kW, kH);
  EXPECT_FALSE(ClearCursors(*m, o));
  EXPECT_FALSE(m->chart.cursorsHidden);
  EXPECT_EQ(m->cursorBar.aValue, "1.000 ");

  RightRelease(*m, 320, kW, kH, o);
  Paint(*m, kW, kH);
  EXPECT_TRUE(ClearCursors(*m, o));
  EXPECT_EQ(m->cursorBar, CursorBarTexts{});
  EXPECT_FALSE(LayoutChart(*m, kW, kH).cursorBarChanged);
  const ChartFrame f = DrawChart(*m, kW, kH);
  EXPECT_TRUE(LinesIn(f.plot.list, kCursorAColour).empty());
  EXPECT_TRUE(LinesIn(f.plot.list, kCursorBColour).empty());
  // The next click goes on with the alternation: A again.
  RightRelease(*m, 342, kW, kH, o);
  EXPECT_EQ(m->chart.cursorA, 12);
  EXPECT_EQ(m->chart.cursorStage, CursorStage::kAPlaced);
}

TEST(ChartCursors, CursorsOutsideTheStoreAreNeverReadOut) {
  auto m = Chart(std::vector<float>(30, 1.0f));
  ModelObserver o;
  RightRelease(*m, 294 + 80, kW, kH, o);   // A at 20
  RightRelease(*m, 294 + 100, kW, kH, o);  // B at 25
  Paint(*m, kW, kH);
  EXPECT_EQ(m->cursorBar.average, "1.000 ");
  // A new run: only 22 samples so far, B lies beyond them.
  m->store.sampleCount = 22;
  Paint(*m, kW, kH);
  EXPECT_EQ(m->cursorBar.aValue, "1.000 ");
  EXPECT_EQ(m->cursorBar.bValue, "");
  EXPECT_EQ(m->cursorBar.average, "");
  m->store.sampleCount = 10;
  Paint(*m, kW, kH);
  EXPECT_EQ(m->cursorBar.aValue, "");
  // A cursor left of the plot is drawn where it falls and read out as nothing.
  auto n = Chart(std::vector<float>(30, 1.0f));
  RightRelease(*n, 200, kW, kH, o);
  const ChartFrame f = Paint(*n, kW, kH);
  EXPECT_EQ(LinesIn(f.plot.list, kCursorAColour)[0]->from.x, -88);
  EXPECT_EQ(n->cursorBar.aValue, "");
}

TEST(ChartCursors, CursorsFollowTheZoomedLevel) {
  auto m = Chart(std::vector<float>(99, 1.0f));
  ModelObserver o;
  // The middle half of the width: 8 px per sample, sample 0 at -198.
  LeftPress(*m, {393, 118}, kW, kH);
  MouseMove(*m, {591, 550}, kW, kH);
  ASSERT_EQ(LeftRelease(*m, {591, 550}, kW, kH, o), ZoomOutcome::kAccepted);
  Paint(*m, kW, kH);
  ASSERT_EQ(m->chart.levels.posX(1)[1] - m->chart.levels.posX(1)[0], 8.0f);
  ASSERT_TRUE(RightRelease(*m, 294 + 2, kW, kH, o));
  EXPECT_EQ(m->chart.cursorA, 25);  // x = 8 x 25 - 198 = 2
  ScrollTo(*m, m->chart.zoomLeft - 1, o);
  const ChartFrame f = Paint(*m, kW, kH);
  EXPECT_EQ(LinesIn(f.plot.list, kCursorAColour)[0]->from.x, 10);
}

TEST(ChartCursors, NoPlotNoPlacement) {
  auto m = Chart(std::vector<float>(30, 1.0f));
  ModelObserver o;
  EXPECT_FALSE(RightRelease(*m, 300, 0, 0, o));
  EXPECT_FALSE(RightRelease(*m, 300, 300, 200, o));
  auto fresh = MakeChartModel();  // nothing painted yet: no spacing to place by
  EXPECT_FALSE(RightRelease(*fresh, 300, kW, kH, o));
}

}  // namespace
}  // namespace pv
