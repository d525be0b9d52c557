// SPDX-License-Identifier: GPL-3.0-or-later
// How long the logger graph takes to load a full data-logger file, lay out and build
// the display list of its full view, and to repaint 99 zoom levels deep, where the
// level tables are kept from the paint before and only the records across the window
// are drawn. The drawing on screen comes on top.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "full_logger.h"

namespace {

using pv::bench::kGraphClientH;
using pv::bench::kGraphClientW;
using pv::bench::WriteFullLoggerFile;

// The window's paint: the layout, then the display list.
pv::LoggerGraphFrame Paint(pv::AppModel& m) {
  pv::LayoutLoggerGraph(m, kGraphClientW, kGraphClientH);
  return pv::DrawLoggerGraph(m, kGraphClientW, kGraphClientH);
}

void BM_LoadAndPaintFullView(benchmark::State& state) {
  const std::string path = WriteFullLoggerFile();
  auto m = std::make_unique<pv::AppModel>();
  for (auto _ : state) {
    pv::LoggerResetView(*m);
    if (!pv::LoggerDownload(*m, path).loaded) state.SkipWithError("file refused");
    pv::LoggerGraphFrame frame = Paint(*m);
    benchmark::DoNotOptimize(frame);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadAndPaintFullView)->Unit(benchmark::kMillisecond);

void BM_PaintZoomedDepth99(benchmark::State& state) {
  const std::string path = WriteFullLoggerFile();
  auto m = std::make_unique<pv::AppModel>();
  if (!pv::LoggerDownload(*m, path).loaded) state.SkipWithError("file refused");
  std::remove(path.c_str());
  if (!pv::bench::ZoomGraphTo99(*m)) state.SkipWithError("zoom levels refused");
  for (auto _ : state) {
    pv::LoggerGraphFrame frame = Paint(*m);
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_PaintZoomedDepth99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
