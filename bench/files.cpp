// SPDX-License-Identifier: GPL-3.0-or-later
// Save, Export Excel and loading of a full run (17278 samples). Save and Export block
// the user-interface thread, files written and synced included: at most 20 ms each,
// 100 ms for the workbook.
// Loading a data file for the logger graph: at most 2 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "files/run_export.h"
#include "files/run_files.h"
#include "files/sample_rows.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "link/units.h"

namespace {

std::unique_ptr<pv::AppModel> FullRun() {
  auto m = std::make_unique<pv::AppModel>();
  pv::SampleStore& store = m->store;
  pv::RunState& run = m->run;
  store.sampleCount = pv::kMaxSamples;
  run.startTime = 1741947725;
  run.intervalMs = 1000;
  run.startHour = 10, run.startMinute = 22, run.startSecond = 5;
  run.startText = "10:22:05";
  run.endText = "15:10:02";
  for (int i = 0; i < pv::kMaxSamples; ++i) {
    const int unit = i % 7 == 0 ? 4 : 2;  // psi with some mbar: every DATA rule is exercised
    m->store.values[i] = unit == 4 ? 123.4f : 1.234f;
    m->store.texts[i] = unit == 4 ? pv::SampleText{'+', '1', '2', '3', '.', '4'}
                                   : pv::SampleText{'+', '1', '.', '2', '3', '4'};
    store.fullScaleAt[i] = pv::kUnits[unit].fullScale;
    store.toPsiAt[i] = pv::kUnits[unit].toPsi;
    store.unitAt[i] = static_cast<std::uint8_t>(unit);
    store.unitNameAt[i] = pv::kUnits[unit].name;
    store.relativeAt[i] = i % 5 == 0;
  }
  return m;
}

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/pneuvista-bench-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "/tmp";
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string file(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void BM_SaveFullRun(benchmark::State& state) {
  const auto model = FullRun();
  const TempFolder folder;
  const std::string path = folder.file("25-03-14 10.22.05. 1Sec.KvtDat");
  for (auto _ : state) {
    const pv::FileStatus status = pv::SaveRun(*model, path);
    if (!status) state.SkipWithError(status.error().message.c_str());
  }
}
BENCHMARK(BM_SaveFullRun)->Unit(benchmark::kMillisecond);

void BM_ExportFullRun(benchmark::State& state) {
  const auto model = FullRun();
  const TempFolder folder;
  const std::string path = folder.file("2025-3-14 10-22-5.xls");
  for (auto _ : state) {
    const pv::FileStatus status = pv::ExportRun(*model, path);
    if (!status) state.SkipWithError(status.error().message.c_str());
  }
}
BENCHMARK(BM_ExportFullRun)->Unit(benchmark::kMillisecond);

// The other export formats, chosen by the name as the dialog's filter gives it. The
// workbook (sheet, chart, zip) must take at most 100 ms for a full run.
void BM_ExportFullRun_Format(benchmark::State& state, const char* name) {
  const auto model = FullRun();
  const TempFolder folder;
  const std::string path = folder.file(name);
  for (auto _ : state) {
    const pv::FileStatus status = pv::ExportRun(*model, path);
    if (!status) state.SkipWithError(status.error().message.c_str());
  }
}
BENCHMARK_CAPTURE(BM_ExportFullRun_Format, xlsx, "2025-3-14 10-22-5.xlsx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportFullRun_Format, csv, "2025-3-14 10-22-5.csv")->Unit(benchmark::kMillisecond);

// The formatting alone, without the file system.
void BM_BuildTextTable(benchmark::State& state) {
  const auto model = FullRun();
  for (auto _ : state) benchmark::DoNotOptimize(pv::BuildTextTable(pv::LiveRunRows(*model)));
}
BENCHMARK(BM_BuildTextTable)->Unit(benchmark::kMillisecond);

void BM_DecodeFullFile(benchmark::State& state) {
  const auto model = FullRun();
  const std::vector<std::uint8_t> file = pv::EncodeDataLoggerFile(*model);
  for (auto _ : state) {
    auto loaded = pv::DecodeDataLoggerFile(file);
    if (!loaded) state.SkipWithError(loaded.error().message.c_str());
    benchmark::DoNotOptimize(loaded);
  }
}
BENCHMARK(BM_DecodeFullFile)->Unit(benchmark::kMicrosecond);

void BM_LoadFullFileFromDisk(benchmark::State& state) {
  const auto model = FullRun();
  const TempFolder folder;
  const std::string path = folder.file("run.KvtDat");
  if (!pv::SaveRun(*model, path)) state.SkipWithError("cannot prepare the file");
  for (auto _ : state) {
    auto loaded = pv::LoadDataLoggerFile(path);
    if (!loaded) state.SkipWithError(loaded.error().message.c_str());
    benchmark::DoNotOptimize(loaded);
  }
}
BENCHMARK(BM_LoadFullFileFromDisk)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
