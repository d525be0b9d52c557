// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding and ingesting one reading frame, panel texts included: the work done for
// every receive notification. Target: at most 2 microseconds per frame.
#include "link/ingest.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "app_model.h"
#include "model_observer.h"

namespace {

std::vector<std::uint8_t> Frame(int unit, int rec, int status, const char* magnitude) {
  std::vector<std::uint8_t> f{0xAA, 0x56, static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(rec),
                              static_cast<std::uint8_t>(status)};
  for (int k = 0; k < 5; ++k) f.push_back(static_cast<std::uint8_t>(magnitude[k]));
  f.push_back(0);
  return f;
}

// Frames alternate so that the unit, the texts and the full-scale history change.
void Ingest(benchmark::State& state, int rec, int status) {
  pv::AppModel model;
  model.flags.initialise(1);
  const std::vector<std::uint8_t> frames[] = {Frame(2, rec, status, "1.234"), Frame(4, rec, status, "12.34"),
                                              Frame(2, rec, status, "9.876"), Frame(6, rec, status, "123.4")};
  std::time_t now = 1700000000;
  unsigned k = 0;
  for (auto _ : state) {
    pv::IngestBlock(model, frames[k++ & 3], now, pv::NullObserver());
    benchmark::DoNotOptimize(model.panel.reading.data());
  }
  state.counters["ns_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_IngestPlainFrame(benchmark::State& state) {
  Ingest(state, 0, 0x00);
}
void BM_IngestHoldFrame(benchmark::State& state) {
  Ingest(state, 0, 0x20);
}
// REC frames also run the statistics step, which formats five texts and two local times.
void BM_IngestRecFrame(benchmark::State& state) {
  Ingest(state, 1, 0x00);
}

BENCHMARK(BM_IngestPlainFrame);
BENCHMARK(BM_IngestHoldFrame);
BENCHMARK(BM_IngestRecFrame);

}  // namespace

BENCHMARK_MAIN();
