// How long the real-time chart takes to build its display lists for a full store
// (17278 samples) on a 1600 x 900 client, live and zoomed 99 levels deep. A paint
// runs after every commit and for every window change; the drawing itself comes on
// top of this.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "app_model.h"
#include "chart/chart_layout.h"
#include "chart/zoom.h"
#include "link/units.h"

namespace {

constexpr int kClientW = 1600;
constexpr int kClientH = 900;

std::unique_ptr<pv::AppModel> FullStore() {
  auto m = std::make_unique<pv::AppModel>();
  const pv::UnitInfo& psi = pv::kUnits[pv::kUnitPsi];
  m->view.m_fFullScale = psi.fullScale;
  m->view.m_nSampleIntervalMs = 1000;
  m->view.m_timeStart = 1700000000;
  for (int i = 0; i < pv::kMaxSamples; ++i) {
    const bool error = i % 500 == 250;
    m->doc.m_fValue[i] = error ? pv::kErrorHigh : static_cast<float>(4.0 * std::sin(i * 0.01));
    m->view.m_fFullScaleAt[i] = error ? pv::kErrorFullScale : psi.fullScale;
    m->view.m_fToPsiAt[i] = error ? pv::kErrorToPsi : psi.toPsi;
  }
  // The run as the chart saw it grow: the first sample resets it, the full store
  // compresses it, a further paint settles.
  m->view.m_nSample = 1;
  pv::PaintChart(*m, kClientW, kClientH);
  m->view.m_nSample = pv::kMaxSamples;
  pv::PaintChart(*m, kClientW, kClientH);
  pv::PaintChart(*m, kClientW, kClientH);
  return m;
}

void BM_PaintLiveFullStore(benchmark::State& state) {
  auto m = FullStore();
  for (auto _ : state) {
    pv::ChartFrame frame = pv::PaintChart(*m, kClientW, kClientH);
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_PaintLiveFullStore)->Unit(benchmark::kMillisecond);

void BM_PaintZoomedDepth99(benchmark::State& state) {
  auto m = FullStore();
  pv::ModelObserver none;
  // 99 slight zooms, each a drag almost across the plot, painted as the user would see it.
  for (int d = 0; d < pv::kMaxZoomDepth; ++d) {
    pv::LeftPress(*m, {300, 120}, kClientW, kClientH);
    pv::MouseMove(*m, {1526, 748}, kClientW, kClientH);
    pv::LeftRelease(*m, {1526, 748}, kClientW, kClientH, none);
    pv::PaintChart(*m, kClientW, kClientH);
  }
  if (m->chart.g_nZoomDepth != pv::kMaxZoomDepth) state.SkipWithError("zoom levels refused");
  for (auto _ : state) {
    pv::ChartFrame frame = pv::PaintChart(*m, kClientW, kClientH);
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_PaintZoomedDepth99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
