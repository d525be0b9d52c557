// SPDX-License-Identifier: GPL-3.0-or-later
// The run journal: appending a committed sample costs the user-interface thread at most
// 20 µs of CPU, the sync apart (its wall time is reported by its own benchmark, once a
// second at most in the program); recovering a full journal (17278 samples) at most 5 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app_model.h"
#include "files/journal_format.h"
#include "files/read_file.h"
#include "files/run_journal.h"
#include "link/units.h"

namespace {

std::unique_ptr<pv::AppModel> FullRun() {
  auto m = std::make_unique<pv::AppModel>();
  m->run.startTime = 1741947725;
  m->run.intervalMs = 1000;
  m->run.phase = pv::RunPhase::Running;
  for (int i = 0; i < pv::kMaxSamples; ++i) {
    const int unit = i % 7 == 0 ? 4 : 2;
    m->store.values[i] = unit == 4 ? 123.4f : 1.234f + static_cast<float>(i % 100) * 0.001f;
    m->store.texts[i] = pv::SampleText{'+', '1', '.', '2', '3', '4'};
    m->store.fullScaleAt[i] = pv::kUnits[unit].fullScale;
    m->store.toPsiAt[i] = pv::kUnits[unit].toPsi;
    m->store.unitAt[i] = static_cast<std::uint8_t>(unit);
    m->store.unitNameAt[i] = pv::kUnits[unit].name;
  }
  return m;
}

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/var/tmp/pneuvista-bench-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "/var/tmp";
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// One committed sample appended, as the sample timer's commit does it; the sync is
// not due (the clock stands still), so this is the append alone. CPU time of the process.
void BM_AppendSample(benchmark::State& state) {
  const auto model = FullRun();
  const TempFolder folder;
  auto journal = std::make_unique<pv::RunJournal>(folder.path());
  model->store.sampleCount = 0;
  journal->begin(*model, 0);
  for (auto _ : state) {
    if (model->store.sampleCount >= pv::kMaxSamples) {
      state.PauseTiming();
      model->store.sampleCount = 0;
      journal->giveUp();
      journal->begin(*model, 0);
      state.ResumeTiming();
    }
    ++model->store.sampleCount;
    benchmark::DoNotOptimize(journal->append(*model, 0));
  }
}
BENCHMARK(BM_AppendSample)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// The sync that follows a second's samples: wall time, as the disk takes it.
void BM_SyncAfterAppend(benchmark::State& state) {
  const auto model = FullRun();
  const TempFolder folder;
  pv::RunJournal journal(folder.path());
  model->store.sampleCount = 0;
  journal.begin(*model, 0);
  std::int64_t now = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (model->store.sampleCount >= pv::kMaxSamples) {
      model->store.sampleCount = 0;
      journal.giveUp();
      journal.begin(*model, now);
    }
    ++model->store.sampleCount;
    journal.append(*model, now);
    now += pv::kJournalSyncPeriodMs;
    state.ResumeTiming();
    benchmark::DoNotOptimize(journal.syncIfDue(now));
  }
}
BENCHMARK(BM_SyncAfterAppend)->UseRealTime()->Unit(benchmark::kMillisecond);

// A full journal read from disk, checked and decoded into a store, as Recover and
// pneuvista-cli recover do.
void BM_RecoverFullJournal(benchmark::State& state) {
  const auto model = FullRun();
  const TempFolder folder;
  std::string path;
  {
    pv::RunJournal journal(folder.path());
    model->store.sampleCount = 0;
    journal.begin(*model, 0);
    model->store.sampleCount = pv::kMaxSamples;
    journal.append(*model, 0);
    path = journal.path();
  }
  auto store = std::make_unique<pv::SampleStore>();
  for (auto _ : state) {
    auto held = pv::HoldJournal(path, *store);
    if (!held || held.value().contents.samples != pv::kMaxSamples) state.SkipWithError("the journal did not read back");
    benchmark::DoNotOptimize(store->values.data());
  }
}
BENCHMARK(BM_RecoverFullJournal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
