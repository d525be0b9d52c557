// How long the logger graph takes to load a full data-logger file, lay out and build
// the display list of its full view, and to repaint 99 zoom levels deep, where every
// layout recomputes every level for every record. The drawing on screen comes on top.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "logger/logger_graph.h"

namespace {

constexpr int kClientW = 946;  // the window's 473 x 299 dialog units
constexpr int kClientH = 598;

// A full file: a slow sine in psi with an error record every 500.
std::string WriteFullFile() {
  auto run = std::make_unique<pv::AppModel>();
  run->store.sampleCount = pv::kStoreCapacity;
  run->run.intervalMs = 1000;
  for (int i = 0; i < pv::kStoreCapacity; ++i) {
    const bool error = i % 500 == 250;
    run->store.values[i] = error ? pv::kErrorHigh : static_cast<float>(4.0 * std::sin(i * 0.01));
    run->store.fullScaleAt[i] = pv::kUnits[pv::kUnitPsi].fullScale;
    run->store.unitAt[i] = pv::kUnitPsi;
  }
  const auto bytes = pv::EncodeDataLoggerFile(*run);
  const std::string path = "/tmp/bench_logger_full.KvtDat";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

// The window's paint: the layout, then the display list.
pv::LoggerGraphFrame Paint(pv::AppModel& m) {
  pv::LayoutLoggerGraph(m, kClientW, kClientH);
  return pv::DrawLoggerGraph(m, kClientW, kClientH);
}

void BM_LoadAndPaintFullView(benchmark::State& state) {
  const std::string path = WriteFullFile();
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
  const std::string path = WriteFullFile();
  auto m = std::make_unique<pv::AppModel>();
  if (!pv::LoggerDownload(*m, path).loaded) state.SkipWithError("file refused");
  std::remove(path.c_str());
  pv::LayoutLoggerGraph(*m, kClientW, kClientH);
  // 99 slight zooms, each a drag almost across the plot, laid out as the window
  // does before it draws.
  for (int level = 0; level < pv::kLoggerMaxZoom; ++level) {
    pv::LoggerLeftPress(*m, {77, 61});
    pv::LoggerMouseMove(*m, {884, 536});
    pv::LoggerLeftRelease(*m, {884, 536});
    pv::LayoutLoggerGraph(*m, kClientW, kClientH);
  }
  if (m->loggerGraph.zoomLevel != pv::kLoggerMaxZoom) state.SkipWithError("zoom levels refused");
  for (auto _ : state) {
    pv::LoggerGraphFrame frame = Paint(*m);
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_PaintZoomedDepth99)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
