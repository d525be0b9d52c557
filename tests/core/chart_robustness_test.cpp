// SPDX-License-Identifier: GPL-3.0-or-later
// The chart meets whatever the store and the user give it: wild readings, resizes
// down to nothing, clicks anywhere, runs that restart under a zoomed chart. None of
// it may crash, read outside the committed samples or turn a float into an
// undefined integer (run under the sanitizers to see the last).
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "chart/chart_layout.h"
#include "chart/cursors.h"
#include "chart/zoom.h"
#include "chart_test_support.h"

namespace pv {
namespace {

TEST(ChartRobustness, RandomSessionsKeepTheChartSane) {
  std::mt19937 rng(20240611);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const float wild[] = {
      0.0f,    1e30f, -1e30f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
      399.99f, -5.1f, 5.1f};
  const std::pair<int, int> sizes[] = {{1000, 700}, {1600, 900}, {365, 269},
                                       {300, 200},  {0, 0},      {5000, 3000}};
  ModelObserver o;
  int deepest = 0;
  int cursorsShown = 0;
  for (int session = 0; session < 6; ++session) {
    auto m = testing::MakeChartModel(pick(0, kUnitCount - 1));
    for (int i = 0; i < kMaxSamples; ++i) {
      const int unit = pick(0, kUnitCount - 1);
      testing::SetSample(*m, i, static_cast<float>(pick(-4000, 4000)) * 0.01f, unit);
      if (pick(0, 200) == 0) m->store.values[i] = wild[pick(0, 7)];
      if (pick(0, 300) == 0) testing::SetErrorSample(*m, i, pick(0, 1) == 1);
      if (pick(0, 1000) == 0) m->store.fullScaleAt[i] = 0.0f;  // never written by ingestion
    }
    int n = 1;
    m->store.sampleCount = n;
    for (int step = 0; step < 400; ++step) {
      const auto [w, h] = sizes[pick(0, 5)];
      const Point p{pick(-100, w + 100), pick(-100, h + 100)};
      switch (pick(0, 9)) {
        case 0:
          n = pick(0, 3) == 0 ? pick(0, 3) : std::min(kMaxSamples, n + pick(1, 3000));
          m->store.sampleCount = n;
          break;
        case 1:
          LeftPress(*m, p, w, h);
          MouseMove(*m, {pick(-100, w + 100), pick(-100, h + 100)}, w, h);
          LeftRelease(*m, {pick(-100, w + 100), pick(-100, h + 100)}, w, h, o);
          break;
        case 2:
          RightRelease(*m, p.x, w, h, o);
          break;
        case 3:
          ClearCursors(*m, o);
          break;
        case 4:
          if (pick(0, 4) == 0) UndoZoom(*m, o);
          break;
        case 5:
          ScrollTo(*m, pick(-10, n + 10), o);
          break;
        case 6:
          DragWatchTick(*m, p, w, h, o);
          break;
        default:
          break;
      }
      const ChartFrame f = testing::Paint(*m, w, h);
      deepest = std::max(deepest, m->chart.zoomDepth);
      cursorsShown += m->cursorBar.aValue.empty() ? 0 : 1;
      ASSERT_GE(m->chart.zoomDepth, 0);
      ASSERT_LE(m->chart.zoomDepth, kMaxZoomDepth);
      ASSERT_GE(m->chart.windowSamples, kInitialWindowSamples);
      ASSERT_LE(ChartScrollBarState(*m).maximum, kMaxSamples);
      for (const Polyline* line : testing::All<Polyline>(f.plot.list)) {
        for (const Point& q : line->points) {
          ASSERT_LE(std::abs(q.x), kCoordinateLimit);
          ASSERT_LE(std::abs(q.y), kCoordinateLimit);
        }
      }
    }
  }
  EXPECT_GT(deepest, 3);
  EXPECT_GT(cursorsShown, 10);
}

}  // namespace
}  // namespace pv
