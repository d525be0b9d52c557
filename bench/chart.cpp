// SPDX-License-Identifier: GPL-3.0-or-later
// How long the real-time chart takes to lay out and build its display lists for a
// full store (17278 samples) on a 1600 x 900 client, live and zoomed 99 levels deep.
// A paint runs after every commit and for every window change; the drawing itself
// comes on top of this.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "full_store.h"
#include "app_model.h"
#include "chart/chart_layout.h"
#include "chart/zoom.h"
#include "link/units.h"

namespace {

using pv::bench::FullStore;
using pv::bench::kClientH;
using pv::bench::kClientW;

// One paint's core work: the layout step, then the display lists of what it left.
pv::ChartFrame LayOutAndDraw(pv::AppModel& m) {
  pv::LayoutChart(m, kClientW, kClientH);
  return pv::DrawChart(m, kClientW, kClientH);
}

void BM_PaintLiveFullStore(benchmark::State& state) {
  auto m = FullStore();
  for (auto _ : state) {
    pv::ChartFrame frame = LayOutAndDraw(*m);
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_PaintLiveFullStore)->Unit(benchmark::kMillisecond);

void BM_PaintZoomedDepth99(benchmark::State& state) {
  auto m = FullStore();
  pv::bench::ZoomTo99(*m);
  if (m->chart.zoomDepth != pv::kMaxZoomDepth) state.SkipWithError("zoom levels refused");
  for (auto _ : state) {
    pv::ChartFrame frame = LayOutAndDraw(*m);
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_PaintZoomedDepth99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
