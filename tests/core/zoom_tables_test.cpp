// SPDX-License-Identifier: GPL-3.0-or-later
// The zoomed paints of the chart and of the logger graph keep their level tables
// between paints and draw only the samples across the plot. After every step of a
// session (zooms, scrolling, a growing run, a unit change, error samples, resizes,
// undo zoom, a new run) they must give exactly what a paint that rebuilds every
// level for every sample and walks the whole trace gives.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart_test_support.h"
#include "chart/zoom.h"
#include "logger/logger_graph.h"
#include "model_observer.h"

namespace pv {
namespace {

using testing::MakeChartModel;
using testing::SetErrorSample;
using testing::SetSample;

constexpr int kKpa = 6;  // the unit table's kPa

struct Size {
  int w, h;
};

// The zoomed trace as it was drawn before the visible range: every segment in turn.
DisplayList EveryChartSegment(const AppModel& m, const PlotRect& r) {
  DisplayList out;
  const ShownLevel level = CurrentLevel(m);
  const int samples = CommittedSamples(m);
  if (!level.usable() || samples <= 1) return out;
  const float* y = m.chart.levels.posY(level.depth);
  TraceBuilder trace(out, r.width(), r.height(), samples);
  for (int i = 1; i < samples; ++i) {
    const float fa = level.dx * static_cast<float>(i - 1 + level.offset) + level.x0;
    const float fb = level.dx * static_cast<float>(i + level.offset) + level.x0;
    const Point a{TruncToInt(fa), TruncToInt(y[i - 1])};
    trace.segment(a, {TruncToInt(fb), TruncToInt(y[i])});
    if (SampleErrorKind(m, i - 1) != 0) trace.errorMark(a);
  }
  return out;
}

// The trace commands of a list: polylines and error marks, in order.
DisplayList TraceOf(const DisplayList& list) {
  DisplayList out;
  for (const auto& c : list.commands)
    if (std::holds_alternative<Polyline>(c) || std::holds_alternative<Pixels>(c)) out.commands.push_back(c);
  return out;
}

void ExpectSameTables(const float* a, const float* b, int n) {
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(SameBits(a[i], b[i])) << "entry " << i;
  }
}

// Paints the model as it stands and a copy of it that starts with no level tables,
// and compares the two, and the zoomed trace with every segment walked.
void ExpectChartAsRebuilt(AppModel& m, Size s) {
  auto rebuilt = std::make_unique<AppModel>(m);
  rebuilt->chart.levels.tables = {};
  const ChartFrame kept = testing::Paint(m, s.w, s.h);
  const ChartFrame fresh = testing::Paint(*rebuilt, s.w, s.h);
  EXPECT_EQ(kept.plot, fresh.plot);
  EXPECT_EQ(kept.leftStrip, fresh.leftStrip);
  EXPECT_EQ(kept.rightStrip, fresh.rightStrip);
  EXPECT_EQ(kept.mainWindow, fresh.mainWindow);
  const int depth = m.chart.live ? 0 : m.chart.zoomDepth;
  const int n = std::max(CommittedSamples(m), 2);
  for (int level = 0; level <= depth; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    ExpectSameTables(m.chart.levels.posX(level), rebuilt->chart.levels.posX(level), n);
    ExpectSameTables(m.chart.levels.posY(level), rebuilt->chart.levels.posY(level), CommittedSamples(m));
  }
  if (m.chart.live) return;
  const PlotRect r = ChartPlotRect(s.w, s.h);
  DisplayList drawn;
  DrawZoomedDisplay(m, r, drawn);
  EXPECT_EQ(TraceOf(drawn), EveryChartSegment(m, r));
}

// A slow wave with an error sample now and then, in the unit given.
void AddChartSamples(AppModel& m, int to, int unit = kUnitPsi) {
  for (int i = m.store.sampleCount; i < to; ++i) {
    if (i % 97 == 41)
      SetErrorSample(m, i, i % 2 == 0);
    else
      SetSample(m, i, static_cast<float>(0.08 * kUnits[unit].fullScale * std::sin(i * 0.013)), unit);
  }
  m.store.sampleCount = to;
}

void ChartDrag(AppModel& m, Point from, Point to, Size s) {
  ModelObserver none;
  LeftPress(m, from, s.w, s.h);
  MouseMove(m, to, s.w, s.h);
  LeftRelease(m, to, s.w, s.h, none);
}

TEST(ZoomTables, ChartPaintsAsIfEveryLevelWereRebuilt) {
  auto m = MakeChartModel();
  Size size{1000, 700};
  ModelObserver none;
  struct Step {
    const char* name;
    std::function<void()> apply;
  };
  const Step steps[] = {
      {"live run", [&] { AddChartSamples(*m, 2000); }},
      {"first zoom", [&] { ChartDrag(*m, {400, 200}, {700, 450}, size); }},
      {"second zoom", [&] { ChartDrag(*m, {350, 150}, {800, 500}, size); }},
      {"samples added while zoomed", [&] { AddChartSamples(*m, 2100); }},
      {"one more sample", [&] { AddChartSamples(*m, 2101); }},
      {"scrolled to the start", [&] { ScrollTo(*m, 0, none); }},
      {"scrolled near the end", [&] { ScrollTo(*m, 1900, none); }},
      {"undo, then two levels unpainted, the deeper one as before", [&] {
         UndoZoom(*m, none);
         ChartDrag(*m, {380, 220}, {720, 470}, size);
         ChartDrag(*m, {350, 150}, {800, 500}, size);
       }},
      {"unit changed mid-run", [&] {
         m->run.unit = kKpa;
         m->run.fullScale = kUnits[kKpa].fullScale;
         AddChartSamples(*m, 2300, kKpa);
       }},
      {"window enlarged", [&] { size = {1300, 820}; }},
      {"window shrunk", [&] { size = {700, 560}; }},
      {"zoomed once more", [&] { ChartDrag(*m, {320, 130}, {600, 400}, size); }},
      {"undo zoom", [&] { UndoZoom(*m, none); }},
      {"run grows live", [&] { AddChartSamples(*m, 3000, kKpa); }},
      {"the same rectangle again", [&] { ChartDrag(*m, {400, 200}, {600, 400}, size); }},
      {"thirty slight zooms", [&] {
         for (int d = 0; d < 30; ++d) {
           ChartDrag(*m, {300, 120}, {620, 400}, size);
           testing::Paint(*m, size.w, size.h);
         }
       }},
      {"error samples added deep down", [&] {
         SetErrorSample(*m, 3000, true);
         SetErrorSample(*m, 3001, false);
         m->store.sampleCount = 3002;
       }},
      {"a refused zoom", [&] { ChartDrag(*m, {400, 300}, {600, 300}, size); }},
      {"a new shorter run zoomed the same way", [&] {
         UndoZoom(*m, none);
         m->store.sampleCount = 0;
         AddChartSamples(*m, 500);
         testing::Paint(*m, size.w, size.h);
         ChartDrag(*m, {400, 200}, {600, 400}, size);
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.apply();
    ExpectChartAsRebuilt(*m, size);
  }
  EXPECT_FALSE(m->chart.live);
  EXPECT_EQ(m->chart.zoomDepth, 1);
}

// The logger graph's zoomed trace as it was drawn before the visible range.
DisplayList EveryLoggerSegment(const AppModel& m, int clientW, int clientH) {
  DisplayList out;
  const LoggerGraphState& g = m.loggerGraph;
  const int Z = std::min(g.zoomLevel, kMaxZoomDepth);
  const float* X = g.levels.posX(Z);
  const float* Y = g.levels.posY(Z);
  const int M = LoggerRecords(m);
  const int sh = g.scrollShift;
  TraceBuilder trace(out, clientW, clientH, M);
  for (int i = std::max(0, -sh); i < std::min(M - 1, M - sh - 1); ++i) {
    const Point a{TruncToInt(X[i + sh]), TruncToInt(Y[i])};
    trace.segment(a, {TruncToInt(X[i + sh + 1]), TruncToInt(Y[i + 1])});
    if (LoggerErrorKind(m.logger, i) != 0) trace.errorMark(a);
  }
  return out;
}

void ExpectGraphAsRebuilt(AppModel& m, Size s) {
  auto rebuilt = std::make_unique<AppModel>(m);
  rebuilt->loggerGraph.levels.tables = {};
  LayoutLoggerGraph(m, s.w, s.h);
  LayoutLoggerGraph(*rebuilt, s.w, s.h);
  const LoggerGraphFrame kept = DrawLoggerGraph(m, s.w, s.h);
  EXPECT_EQ(kept.surface, DrawLoggerGraph(*rebuilt, s.w, s.h).surface);
  const LoggerGraphState& g = m.loggerGraph;
  const int M = LoggerRecords(m);
  for (int level = 0; level <= std::min(g.zoomLevel, kMaxZoomDepth); ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    ExpectSameTables(g.levels.posX(level), rebuilt->loggerGraph.levels.posX(level), M);
    ExpectSameTables(g.levels.posY(level), rebuilt->loggerGraph.levels.posY(level), M);
  }
  if (LoggerZoomShown(g, M)) {
    EXPECT_EQ(TraceOf(kept.surface.list), EveryLoggerSegment(m, s.w, s.h));
  }
}

void LoadRecords(AppModel& m, int n, int unit, int errorEvery) {
  LoggerStore& s = m.logger;
  s.recordCount = n;
  for (int i = 0; i < n; ++i) {
    const bool error = i % errorEvery == errorEvery / 2;
    s.values[i] = error ? kErrorHigh : static_cast<float>(0.08 * kUnits[unit].fullScale * std::sin(i * 0.02));
    s.fullScaleAt[i] = error ? kUnits[kUnitPsi].fullScale : kUnits[unit].fullScale;
    s.unitAt[i] = static_cast<std::uint8_t>(unit);
  }
  s.startText = "10:00:00";
  s.intervalMs = 1000;
  s.unitName = std::string(kUnits[unit].name);
  s.loaded = true;
}

void GraphDrag(AppModel& m, Point from, Point to) {
  LoggerLeftPress(m, from);
  LoggerMouseMove(m, to);
  LoggerLeftRelease(m, to);
}

TEST(ZoomTables, LoggerGraphPaintsAsIfEveryLevelWereRebuilt) {
  auto m = std::make_unique<AppModel>();
  Size size{946, 598};
  struct Step {
    const char* name;
    std::function<void()> apply;
  };
  const Step steps[] = {
      {"full view", [&] { LoadRecords(*m, 3000, kUnitPsi, 211); }},
      {"first zoom", [&] { GraphDrag(*m, {200, 100}, {600, 400}); }},
      {"second zoom", [&] { GraphDrag(*m, {150, 120}, {700, 450}); }},
      {"scrolled to the start", [&] { LoggerScrollTo(*m, 0); }},
      {"scrolled near the end", [&] { LoggerScrollTo(*m, 2900); }},
      {"window resized", [&] { size = {1200, 700}; }},
      {"another file in another unit", [&] { LoadRecords(*m, 2500, kKpa, 97); }},
      {"twenty slight zooms", [&] {
         for (int d = 0; d < 20; ++d) {
           GraphDrag(*m, {80, 62}, {1000, 600});
           LayoutLoggerGraph(*m, size.w, size.h);
         }
       }},
      {"zoomed out", [&] { LoggerZoomOut(*m); }},
      {"the same selection again", [&] { GraphDrag(*m, {200, 100}, {600, 400}); }},
      {"new levels above a deeper one as before", [&] {
         LoggerZoomOut(*m);
         GraphDrag(*m, {250, 150}, {650, 420});
         LayoutLoggerGraph(*m, size.w, size.h);
         GraphDrag(*m, {220, 130}, {700, 430});
         LayoutLoggerGraph(*m, size.w, size.h);
         GraphDrag(*m, {80, 62}, {1000, 600});
       }},
      {"a longer file under the same zoom", [&] { LoadRecords(*m, 4000, kUnitPsi, 53); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.apply();
    ExpectGraphAsRebuilt(*m, size);
  }
  EXPECT_GE(m->loggerGraph.zoomLevel, 1);
}

}  // namespace
}  // namespace pv
