// SPDX-License-Identifier: GPL-3.0-or-later
// How fast received blocks are decoded. The line brings at most 87 frames a second;
// decoding must never be what the receive handler waits on.
#include <benchmark/benchmark.h>

#include <vector>

#include "link/frame.h"
#include "sim/meter_model.h"

namespace {

// A realistic mix: readings in every unit and state, error frames, and blocks that
// start in the middle of a frame.
std::vector<pv::MeterFrame> SampleBlocks() {
  std::vector<pv::MeterFrame> blocks;
  pv::MeterModel meter(7);
  double t = 0;
  for (int i = 0; i < 1024; ++i) {
    t += 0.5;
    if (i % 97 == 0) meter.handleCommandBytes(pv::CommandFrame(pv::Command::Units), t);
    if (i % 13 == 0) {
      blocks.push_back(pv::MeterModel::ErrorFrame(static_cast<std::uint8_t>(0x10 + i % 4)));
      continue;
    }
    pv::MeterFrame f;
    meter.nextFrame(t, f);
    if (i % 17 == 0) f[0] = 0x56;  // first byte lost
    blocks.push_back(f);
  }
  return blocks;
}

void BM_DecodeBlock(benchmark::State& state) {
  const auto blocks = SampleBlocks();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(pv::DecodeBlock(blocks[i]));
    i = (i + 1) & (blocks.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeBlock);

// The simulator's side: producing one frame, as the meter does at up to 87 a second.
void BM_MeterModelFrame(benchmark::State& state) {
  pv::MeterModel meter(3);
  pv::MeterFrame f;
  double t = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(meter.nextFrame(t += 0.0115, f));
    benchmark::DoNotOptimize(f);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MeterModelFrame);

}  // namespace

BENCHMARK_MAIN();
