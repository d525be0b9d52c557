// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/chart_layout.h"

#include <gtest/gtest.h>

#include <tuple>

#include "chart/bar_layout.h"
#include "chart_test_support.h"
#include "text_format.h"

namespace pv {
namespace {

using testing::All;
using testing::CommitTo;
using testing::kRunStart;
using testing::MakeChartModel;
using testing::Paint;
using testing::SetErrorSample;
using testing::SetSample;
using testing::TextsOf;
using testing::TracePoints;

TEST(ChartPaint, PlotAndStripsFollowTheClientSize) {
  auto m = MakeChartModel();
  CommitTo(*m, 1);
  const ChartFrame f = Paint(*m, 1000, 700);
  ASSERT_TRUE(f.plotDrawn);
  EXPECT_EQ(f.plot.x, 294);
  EXPECT_EQ(f.plot.y, 118);
  EXPECT_EQ(f.plot.width, 636);
  EXPECT_EQ(f.plot.height, 432);
  EXPECT_EQ(f.plot.background, Brush::Solid({0, 0, 0}));
  EXPECT_EQ(f.leftStrip.x, 224);
  EXPECT_EQ(f.leftStrip.y, 111);
  EXPECT_EQ(f.leftStrip.width, 70);
  EXPECT_EQ(f.leftStrip.height, 439);
  EXPECT_EQ(f.rightStrip.x, 930);
  EXPECT_EQ(f.rightStrip.width, 100);
  EXPECT_TRUE(f.leftStrip.background.buttonFace);
  EXPECT_EQ(m->chart.step, 636.0f / 99.0f);
  // One sample: labels but no trace.
  EXPECT_TRUE(All<Polyline>(f.plot.list).empty());
  EXPECT_EQ(All<Text>(f.leftStrip.list).size(), 5u);
}

TEST(ChartPaint, TheHundredAndFirstSampleCompressesTheWindow) {
  auto m = MakeChartModel();
  CommitTo(*m, 1);
  Paint(*m, 1000, 700);
  CommitTo(*m, 100);
  EXPECT_FALSE(LayoutChart(*m, 1000, 700).repaintWithErase);
  EXPECT_EQ(m->chart.windowSamples, 100);
  EXPECT_EQ(TracePoints(DrawChart(*m, 1000, 700).plot.list).back().x, 636);  // 99 steps of 636/99

  CommitTo(*m, 101);
  EXPECT_TRUE(LayoutChart(*m, 1000, 700).repaintWithErase);
  EXPECT_EQ(m->chart.step, 5.83f);
  EXPECT_EQ(m->chart.windowSamples, 110);
  // The frame drawn before the erase repaint uses the compressed step throughout.
  const ChartFrame f = DrawChart(*m, 1000, 700);
  const auto lines = All<Polyline>(f.plot.list);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->points[1].x, 5);
  EXPECT_EQ(lines[0]->points.back().x, 583);

  EXPECT_FALSE(LayoutChart(*m, 1000, 700).repaintWithErase);
  EXPECT_EQ(m->chart.step, 636.0f / 109.0f);
}

TEST(ChartPaint, APaintThatComesLateCompressesUntilTheRunFits) {
  // 300 samples first seen by one paint: the window grows 100, 110, 120, 131, ... 321
  // within that paint, compressing again while the run is longer than the window.
  auto m = MakeChartModel();
  CommitTo(*m, 300);
  EXPECT_TRUE(LayoutChart(*m, 1000, 700).repaintWithErase);
  EXPECT_EQ(m->chart.windowSamples, 321);
  EXPECT_EQ(m->chart.step, static_cast<float>(583.0 / 294));  // eleven twelfths of 636 px
  EXPECT_EQ(m->chart.levelZeroStep, m->chart.step);
  EXPECT_EQ(m->chart.levels.posX(0)[299], 299.0f * m->chart.step);
}

TEST(ChartPaint, ValueLabelsFollowTheCurrentUnit) {
  struct Case {
    int unit;
    std::array<const char*, 5> screen;
    std::array<const char*, 5> print;
    std::array<int, 5> indent;
  };
  const Case cases[] = {
      {kUnitPsi,
       {"5.2000", "2.6000", "0.0000", "-2.6000", "-5.2000"},
       {"+5.200", "+2.600", " 0.000", "-2.600", "-5.200"},
       {22, 22, 22, 15, 15}},
      {4 /* mbar */,
       {"358.5920", "179.2960", "0.0000", "-179.2960", "-358.5920"},
       {"+358.5", "+179.2", " 0.000", "-179.2", "-358.5"},
       {7, 7, 22, 0, 0}},
      {0 /* bar */,
       {"0.3578", "0.1789", "0.0000", "-0.1789", "-0.3578"},
       {"+0.357", "+0.178", " 0.000", "-0.178", "-0.357"},
       {22, 22, 22, 15, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kUnits[c.unit].name);
    auto m = MakeChartModel(c.unit);
    CommitTo(*m, 1);
    const ChartFrame f = Paint(*m, 1000, 700);
    const auto left = All<Text>(f.leftStrip.list);
    const auto right = All<Text>(f.rightStrip.list);
    ASSERT_EQ(left.size(), 5u);
    ASSERT_EQ(right.size(), 5u);
    const int ys[5] = {0, 106, 215, 324, 424};  // strip height 439
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(m->chart.valueLabelTexts[k], c.screen[k]);
      EXPECT_EQ(m->chart.printValueLabels[k], c.print[k]);
      EXPECT_EQ(left[k]->text, c.screen[k]);
      EXPECT_EQ(left[k]->at, (Point{c.indent[k], ys[k]}));
      EXPECT_EQ(right[k]->at, (Point{3, ys[k]}));
      EXPECT_EQ(left[k]->background, Brush::Solid({255, 255, 255}));
    }
  }
}

TEST(ChartPaint, IndentClassesLineUpTheIntegerDigits) {
  const std::pair<float, int> cases[] = {{0.0f, 3},   {9.99f, 3},   {10.0f, 2},  {99.9f, 2},
                                         {100.0f, 1}, {-0.001f, 2}, {-9.99f, 2}, {-10.0f, 1},
                                         {-99.9f, 1}, {-100.0f, 0}, {-1e6f, 0}};
  for (auto [v, cls] : cases) EXPECT_EQ(ValueLabelIndentClass(v), cls) << v;
}

TEST(ChartPaint, LiveTimeLabelsStandUnderEveryThirdGridCell) {
  auto m = MakeChartModel(kUnitPsi, 5);
  CommitTo(*m, 1);
  const ChartFrame f = Paint(*m, 1000, 700);
  for (int j = 0; j < 5; ++j) EXPECT_EQ(m->chart.timeLabels[j], kRunStart + 120 * j) << j;
  EXPECT_EQ(m->chart.timeLabelTexts[1], FormatLocalTime(kRunStart + 120, "%H:%M:%S"));

  const auto fills = All<FillRect>(f.mainWindow);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0]->x, 228);
  EXPECT_EQ(fills[0]->y, 581);
  EXPECT_EQ(fills[0]->width, 776);
  EXPECT_EQ(fills[0]->height, 29);
  // k = 8 samples per cell of 53 px: labels at 8 * 636/99 * {12, 9, 6, 3} + 294, then 294.
  const auto texts = All<Text>(f.mainWindow);
  ASSERT_EQ(texts.size(), 5u);
  const int xs[5] = {910, 756, 602, 448, 294};
  const int labels[5] = {4, 3, 2, 1, 0};
  for (int j = 0; j < 5; ++j) {
    EXPECT_EQ(texts[j]->at, (Point{xs[j], 590}));
    EXPECT_EQ(texts[j]->text, m->chart.timeLabelTexts[labels[j]]);
    EXPECT_TRUE(texts[j]->background && texts[j]->background->buttonFace);
  }
}

TEST(ChartPaint, ErrorSamplesGetACrossAtTheStartOfTheirSegment) {
  auto m = MakeChartModel();
  SetSample(*m, 0, 2.6f);
  SetSample(*m, 1, 0.17888f, 0 /* bar */);
  SetErrorSample(*m, 2, false);
  SetErrorSample(*m, 3, true);
  SetErrorSample(*m, 4, true);  // newest: no cross until a next sample exists
  CommitTo(*m, 5);
  m->store.sampleCount = 1;
  Paint(*m, 1000, 700);
  m->store.sampleCount = 5;
  const ChartFrame f = Paint(*m, 1000, 700);

  // +2.6 psi and 0.17888 bar lie half way up (H/4 = 108); ERR2 98 % of the way down.
  const auto points = TracePoints(f.plot.list);
  EXPECT_EQ(points.front(), (Point{0, 108}));
  EXPECT_EQ(points[1], (Point{6, 108}));
  const auto marks = All<Pixels>(f.plot.list);
  ASSERT_EQ(marks.size(), 2u);
  const Point err2{12, 427}, err1{19, 4};
  auto cross = [](Point c) {
    return std::vector<Point>{{c.x, c.y},         {c.x - 2, c.y - 2}, {c.x + 2, c.y + 2},
                              {c.x - 2, c.y + 2}, {c.x + 2, c.y - 2}, {c.x - 1, c.y + 1},
                              {c.x + 1, c.y - 1}, {c.x - 1, c.y - 1}, {c.x + 1, c.y + 1}};
  };
  EXPECT_EQ(marks[0]->points, cross(err2));
  EXPECT_EQ(marks[1]->points, cross(err1));
  EXPECT_EQ(marks[0]->colour, (Rgb{255, 255, 255}));
  // Each mark is drawn after its own segment and before the next one.
  const auto& cmds = f.plot.list.commands;
  std::vector<std::size_t> kinds;
  for (const auto& c : cmds)
    if (!std::holds_alternative<Line>(c)) kinds.push_back(c.index());
  EXPECT_EQ(kinds, std::vector<std::size_t>({1, 2, 1, 2}));  // polyline, mark, polyline, mark
}

TEST(ChartPaint, AnEmptyStoreShowsOnlyTheGrid) {
  auto m = MakeChartModel();
  m->chart.valueLabelTexts[0] = "old";
  const ChartFrame f = Paint(*m, 1000, 700);
  const auto lines = All<Line>(f.plot.list);
  ASSERT_EQ(lines.size(), 25u);
  int vertical = 0;
  for (const Line* l : lines) vertical += l->from.x == l->to.x && l->from.y == 432 ? 1 : 0;
  EXPECT_EQ(vertical, 13);
  EXPECT_EQ(lines[12]->from.x, 636);
  EXPECT_EQ(lines[24]->from.y, 432);  // the twelfth horizontal line lies on the bottom edge
  EXPECT_EQ(lines[0]->pen, (Pen{{170, 170, 170}, 1, PenStyle::kDotted}));
  EXPECT_TRUE(f.leftStrip.list.empty());
  EXPECT_TRUE(f.rightStrip.list.empty());
  EXPECT_TRUE(TextsOf(f.mainWindow).empty());
  EXPECT_EQ(All<FillRect>(f.mainWindow).size(), 1u);
}

TEST(ChartPaint, LiveGridCountsWholeSamplesPerCell) {
  auto m = MakeChartModel();
  CommitTo(*m, 1);
  const ChartFrame f = Paint(*m, 1000, 700);
  std::vector<int> xs;
  for (const Line* l : All<Line>(f.plot.list))
    if (l->from.x == l->to.x && l->from.y == 432) xs.push_back(l->from.x);
  ASSERT_EQ(xs.size(), 14u);
  // 8 samples of 636/99 px per cell.
  EXPECT_EQ(xs[1], 51);
  EXPECT_EQ(xs[12], 616);
  EXPECT_EQ(xs[13], 668);  // beyond the surface, clipped by the painter
}

TEST(ChartPaint, AFullStoreIsOnePolyline) {
  auto m = MakeChartModel();
  for (int i = 0; i < kMaxSamples; ++i) SetSample(*m, i, static_cast<float>(i % 100) * 0.05f - 2.5f);
  m->store.sampleCount = 1;
  Paint(*m, 1600, 900);
  m->store.sampleCount = kMaxSamples;
  EXPECT_TRUE(LayoutChart(*m, 1600, 900).repaintWithErase);
  EXPECT_FALSE(LayoutChart(*m, 1600, 900).repaintWithErase);
  const ChartFrame g = DrawChart(*m, 1600, 900);
  const auto lines = All<Polyline>(g.plot.list);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->points.size(), static_cast<std::size_t>(kMaxSamples));
  // The run ends at about eleven twelfths of the width.
  EXPECT_LT(lines[0]->points.back().x, 1236);
  EXPECT_GT(lines[0]->points.back().x, 1236 * 11 / 12 - 10);
}

TEST(ChartPaint, ClientAreasSmallerThanTheMarginsSkipThePlot) {
  const std::pair<int, int> sizes[] = {{0, 0}, {300, 200}, {364, 700}, {365, 268}, {-5, -5}, {365, 269}};
  for (auto [w, h] : sizes) {
    SCOPED_TRACE(::testing::Message() << w << "x" << h);
    auto m = MakeChartModel();
    CommitTo(*m, 1);
    Paint(*m, 1000, 700);
    CommitTo(*m, 150);
    m->chart.live = false;
    m->chart.cursorA = 3;
    m->chart.cursorsHidden = false;
    const ChartFrame f = Paint(*m, w, h);
    const bool plot = w - 70 > 294 && h - 150 > 118;
    EXPECT_EQ(f.plotDrawn, plot);
    if (!plot) {
      EXPECT_TRUE(f.plot.list.empty());
      EXPECT_EQ(f.plot.width, 0);
    }
    EXPECT_EQ(m->chart.printValueLabels[0], "+5.200");
    EXPECT_FALSE(m->cursorBar.aValue.empty());
  }
}

// The bars keep the description's places from 1600 x 900 up; smaller, the chart gives
// up its room and the panel closes its last keys up; below the smallest area that
// shows every control, that area is laid out (and the window scrolls over it).
TEST(BarLayout, TheChartGivesUpRoomFirstAndTheSmallestAreaScrolls) {
  struct Case {
    int w, h, laidW, laidH;  // the client area under the menu bar, and the area laid out
    bool compact;
  };
  for (const Case c : {Case{1600, 876, 1600, 876, false}, Case{1280, 616, 1280, 616, true},
                       Case{800, 476, 972, 576, true}}) {
    SCOPED_TRACE(c.w);
    const BarLayout b = LayoutBars(c.w, c.h);
    auto tie = [](const BarPlace& p) { return std::tuple(p.x, p.y, p.width, p.height, p.shown); };
    EXPECT_EQ(std::tuple(b.width, b.height, b.compactPanel), std::tuple(c.laidW, c.laidH, c.compact));
    EXPECT_EQ(tie(b.statistics), std::tuple(228, 30, c.laidW - 238, 112, true));
    EXPECT_EQ(tie(b.cursorBar), std::tuple(228, c.laidH - 120, c.laidW - 238, 100, true));
    EXPECT_EQ(tie(b.panel), std::tuple(0, 31, 228, c.laidH - 50, true));
    EXPECT_EQ(tie(b.scrollStrip), std::tuple(228, c.laidH - 142, c.laidW - 238, 25, true));
  }
}

}  // namespace
}  // namespace pv
