// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "chart/chart_layout.h"
#include "chart/zoom.h"
#include "chart_test_support.h"

namespace pv {
namespace {

using testing::All;
using testing::CommitTo;
using testing::kRunStart;
using testing::MakeChartModel;
using testing::Paint;
using testing::SetSample;
using testing::TextsOf;
using testing::TracePoints;

class RecordingObserver : public ModelObserver {
 public:
  void invalidateChart(bool erase) override { invalidations.push_back(erase); }
  std::vector<bool> invalidations;
};

// A live chart of n psi samples (a slow ramp) painted once at w x h.
std::unique_ptr<AppModel> LiveChart(int n, int w = 1000, int h = 700) {
  auto m = MakeChartModel();
  for (int i = 0; i < n; ++i) SetSample(*m, i, static_cast<float>(i % 40) * 0.1f - 2.0f);
  CommitTo(*m, 1);
  Paint(*m, w, h);
  CommitTo(*m, n);
  Paint(*m, w, h);
  return m;
}

ZoomOutcome Drag(AppModel& m, Point from, Point to, int w = 1000, int h = 700) {
  RecordingObserver o;
  EXPECT_TRUE(LeftPress(m, from, w, h));
  MouseMove(m, to, w, h);
  return LeftRelease(m, to, w, h, o);
}

TEST(ChartZoom, HalvingTheValueRangeIsAccepted) {
  // A 372-pixel plot, the size the range test assumes.
  auto m = LiveChart(50, 1000, 640);
  EXPECT_EQ(Drag(*m, {400, 211}, {600, 397}, 1000, 640), ZoomOutcome::kAccepted);
  EXPECT_EQ(m->chart.zoomDepth, 1);
  EXPECT_FALSE(m->chart.live);
  EXPECT_FLOAT_EQ(m->chart.valueLabels[1][0], 2.6f);
  EXPECT_FLOAT_EQ(m->chart.valueLabels[1][4], -2.6f);
  Paint(*m, 1000, 640);
  EXPECT_EQ(m->chart.valueLabelTexts,
            (std::array<std::string, 5>{"2.6000", "1.3000", "0.0000", "-1.3000", "-2.6000"}));
  // The printed labels stay those of the live display.
  EXPECT_EQ(m->chart.printValueLabels[0], "+5.200");
}

TEST(ChartZoom, RefusedLevelsStillSwitchToTheZoomedDisplay) {
  struct Case {
    const char* name;
    int depth;
    Point from, to;
    float spacing;  // of the current level; 0 keeps the painted one
  };
  const Case cases[] = {
      {"value span too small", 0, {400, 300}, {600, 300}, 0.0f},
      {"no width", 0, {500, 200}, {500, 400}, 0.0f},
      {"depth 99", 99, {400, 200}, {600, 400}, 0.0f},
      {"one sample spans 671 px", 0, {400, 200}, {600, 400}, 671.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = LiveChart(50);
    m->chart.zoomDepth = c.depth;
    if (c.spacing > 0) m->chart.levels.posX(c.depth)[1] = m->chart.levels.posX(c.depth)[0] + c.spacing;
    EXPECT_EQ(Drag(*m, c.from, c.to), ZoomOutcome::kRefused);
    EXPECT_EQ(m->chart.zoomDepth, c.depth);
    EXPECT_FALSE(m->chart.live);
  }
  // The zoomed display of depth 0: ten grid lines, a whole number of samples apart.
  auto m = LiveChart(50);
  Drag(*m, {400, 300}, {600, 300});
  const ChartFrame f = Paint(*m, 1000, 700);
  int vertical = 0;
  for (const Line* l : All<Line>(f.plot.list)) vertical += l->from.x == l->to.x ? 1 : 0;
  EXPECT_EQ(vertical, 10);
  EXPECT_EQ(m->chart.zoomLeft, 0);
  EXPECT_EQ(m->chart.labelSamples[1], 24);  // cell 159 px / 6.42 px
  EXPECT_TRUE(ChartScrollBarState(*m).enabled);
}

TEST(ChartZoom, AClickWithoutMovingChangesNothing) {
  auto m = LiveChart(50);
  RecordingObserver o;
  EXPECT_TRUE(LeftPress(*m, {500, 300}, 1000, 700));
  EXPECT_EQ(LeftRelease(*m, {500, 300}, 1000, 700, o), ZoomOutcome::kNone);
  EXPECT_TRUE(m->chart.live);
  EXPECT_EQ(m->chart.zoomDepth, 0);
  EXPECT_TRUE(o.invalidations.empty());
  EXPECT_FALSE(m->chart.drag.dragging);
}

TEST(ChartZoom, AMirroredDragGivesTheSameZoom) {
  auto a = LiveChart(80);
  auto b = LiveChart(80);
  EXPECT_EQ(Drag(*a, {400, 200}, {650, 420}), ZoomOutcome::kAccepted);
  EXPECT_EQ(Drag(*b, {650, 420}, {400, 200}), ZoomOutcome::kAccepted);
  const ChartFrame fa = Paint(*a, 1000, 700);
  const ChartFrame fb = Paint(*b, 1000, 700);
  EXPECT_EQ(a->chart.zoomPixelX1[0], b->chart.zoomPixelX1[0]);
  EXPECT_EQ(a->chart.zoomPixelY2[0], b->chart.zoomPixelY2[0]);
  EXPECT_EQ(a->chart.valueLabels[1], b->chart.valueLabels[1]);
  EXPECT_EQ(a->chart.zoomLeft, b->chart.zoomLeft);
  EXPECT_EQ(TracePoints(fa.plot.list), TracePoints(fb.plot.list));
  EXPECT_EQ(TextsOf(fa.mainWindow), TextsOf(fb.mainWindow));
}

TEST(ChartZoom, ZoomedDisplayMapsTheSelectionOntoThePlot) {
  // 99 samples at 636/99 px; the middle half of the plot's width, its full height.
  auto m = LiveChart(99);
  EXPECT_EQ(Drag(*m, {453, 118}, {771, 550}), ZoomOutcome::kAccepted);
  const ChartFrame f = Paint(*m, 1000, 700);
  EXPECT_EQ(m->chart.levels.posX(1)[0], -318.0f);
  EXPECT_NEAR(m->chart.levels.posX(1)[1] - m->chart.levels.posX(1)[0], 12.8485f, 1e-3f);
  EXPECT_EQ(m->chart.zoomLeft, 24);
  // 49 samples across: a quarter of the plot is 12 whole samples.
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(m->chart.labelSamples[n], 24 + 12 * n);
    EXPECT_EQ(m->chart.timeLabels[n], kRunStart + 24 + 12 * n);
  }
  // Only the labels that fall between the plot's edges are drawn.
  const auto texts = All<Text>(f.mainWindow);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0]->text, m->chart.timeLabelTexts[1]);
  EXPECT_EQ(texts[0]->at, (Point{438, 590}));
  // The trace starts left of the plot: segments that cannot show are left out.
  const auto points = TracePoints(f.plot.list);
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.front(), (Point{-9, TruncToInt(m->chart.levels.posY(1)[24])}));  // 24 x 12.85 - 318
  EXPECT_EQ(ChartScrollBarState(*m), (ScrollBarState{true, 0, 99, 24}));
  EXPECT_EQ(m->chart.valueLabelTexts[0], "5.2000");
}

TEST(ChartZoom, UndoReturnsToTheLiveDisplayFromAnyDepth) {
  auto m = LiveChart(200);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Drag(*m, {350, 150}, {900, 500}), ZoomOutcome::kAccepted);
    Paint(*m, 1000, 700);
  }
  EXPECT_EQ(m->chart.zoomDepth, 5);
  RecordingObserver o;
  ScrollTo(*m, m->chart.zoomLeft - 2, o);
  UndoZoom(*m, o);
  EXPECT_TRUE(m->chart.live);
  EXPECT_EQ(m->chart.zoomDepth, 0);
  EXPECT_EQ(m->chart.scrollOffset, 0);
  EXPECT_EQ(o.invalidations.back(), false);
  const ChartFrame f = Paint(*m, 1000, 700);
  EXPECT_FALSE(ChartScrollBarState(*m).enabled);
  EXPECT_EQ(TracePoints(f.plot.list).front(), (Point{0, TruncToInt(m->chart.levels.posY(0)[0])}));
}

TEST(ChartZoom, TheScrollBarPansTheZoomedTrace) {
  auto m = LiveChart(99);
  Drag(*m, {453, 118}, {771, 550});
  Paint(*m, 1000, 700);
  RecordingObserver o;
  // Tracking at the thumb's own position changes nothing.
  ScrollTo(*m, 24, o);
  EXPECT_EQ(m->chart.scrollOffset, 0);
  ScrollTo(*m, 21, o);
  EXPECT_EQ(m->chart.scrollOffset, 3);
  const ChartFrame f = Paint(*m, 1000, 700);
  EXPECT_EQ(ChartScrollBarState(*m).position, 21);
  EXPECT_EQ(m->chart.timeLabels[0], kRunStart + 21);
  // The trace sits three samples further right: sample 21 where sample 24 was.
  EXPECT_EQ(TracePoints(f.plot.list).front(), (Point{-9, TruncToInt(m->chart.levels.posY(1)[21])}));
  // A page of the bar is the samples across the plot (49 of 12.85 pixels in 636).
  EXPECT_EQ(ChartScrollPage(*m, 636), 49);
  ScrollTo(*m, 1000, o);  // the bar only reports 0 .. sampleCount
  EXPECT_EQ(m->chart.scrollOffset, 24 - 99);
  UndoZoom(*m, o);
  ScrollTo(*m, 5, o);  // live: nothing to pan
  EXPECT_EQ(m->chart.scrollOffset, 0);
}

TEST(ChartZoom, RubberBandFollowsThePointerInsideThePlot) {
  auto m = LiveChart(50);
  EXPECT_EQ(MouseMove(*m, {400, 200}, 1000, 700), RubberBand{});  // no drag yet
  LeftPress(*m, {400, 200}, 1000, 700);
  EXPECT_EQ(MouseMove(*m, {300, 150}, 1000, 700), (RubberBand{true, 300, 150, 400, 200}));
  EXPECT_TRUE(m->chart.rubberBandShown);
  EXPECT_EQ(MouseMove(*m, {100, 20}, 1000, 700), (RubberBand{true, 294, 118, 400, 200}));
  EXPECT_EQ(MouseMove(*m, {2000, 900}, 1000, 700), (RubberBand{true, 400, 200, 930, 550}));
  EXPECT_EQ(MouseMove(*m, {400, 200}, 1000, 700), RubberBand{});
}

TEST(ChartZoom, DragWatchCancelsADragThatLeavesThePlotBand) {
  const std::pair<Point, bool> cases[] = {
      {{245, 300}, false}, {{244, 300}, true}, {{500, 116}, false}, {{500, 115}, true},
      {{979, 300}, false}, {{980, 300}, true}, {{500, 569}, false}, {{500, 570}, true},
  };
  for (auto [pointer, cancels] : cases) {
    SCOPED_TRACE(::testing::Message() << pointer.x << "," << pointer.y);
    auto m = LiveChart(50);
    RecordingObserver o;
    LeftPress(*m, {400, 200}, 1000, 700);
    MouseMove(*m, {500, 300}, 1000, 700);
    EXPECT_EQ(DragWatchTick(*m, pointer, 1000, 700, o), cancels);
    EXPECT_EQ(m->chart.drag.dragging, !cancels);
    EXPECT_EQ(m->chart.rubberBandShown, !cancels);
    EXPECT_EQ(LeftRelease(*m, {500, 300}, 1000, 700, o),
              cancels ? ZoomOutcome::kNone : ZoomOutcome::kAccepted);
  }
  auto idle = LiveChart(50);
  RecordingObserver o;
  EXPECT_FALSE(DragWatchTick(*idle, {0, 0}, 1000, 700, o));
}

TEST(ChartZoom, MouseIsIgnoredOnAnEmptyStoreOrWithoutAPlot) {
  RecordingObserver o;
  auto empty = MakeChartModel();
  Paint(*empty, 1000, 700);
  EXPECT_FALSE(LeftPress(*empty, {400, 200}, 1000, 700));
  EXPECT_EQ(LeftRelease(*empty, {600, 400}, 1000, 700, o), ZoomOutcome::kNone);
  EXPECT_TRUE(empty->chart.live);

  for (auto [w, h] : {std::pair{0, 0}, std::pair{300, 200}, std::pair{364, 700}}) {
    auto m = LiveChart(50);
    EXPECT_FALSE(LeftPress(*m, {400, 200}, w, h));
    EXPECT_EQ(MouseMove(*m, {500, 300}, w, h), RubberBand{});
    EXPECT_EQ(LeftRelease(*m, {500, 300}, w, h, o), ZoomOutcome::kNone);
  }
}

}  // namespace
}  // namespace pv
