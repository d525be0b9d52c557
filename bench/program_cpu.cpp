// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time of the windowed program while the meter streams at the line's limit (87
// frames a second) with a run going at one sample a second and the chart live. The
// program runs in a fresh process (MeterApp, offscreen) whose own user + system time
// over the measured span is the figure; the simulated meter lives in the benchmark
// process. Paints per second of the chart, the panel and the bars are reported beside
// it, as they are what costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "app_model.h"
#include "platform/qt_serial_port.h"
#include "program_harness.h"
#include "ui/chart/chart_view.h"
#include "ui/common/ui_constants.h"
#include "ui/chart/statistics_bar.h"
#include "ui/window/main_window.h"
#include "ui/panel/front_panel.h"

namespace {

using namespace pv::bench;

int StreamChild(int argc, char** argv) {
  pv::ui::PreferQtEventDispatcher();
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.devicePath = ChildDevice(argc, argv);
  // Without the journal: a state folder that cannot be made (/proc takes no folders).
  if (ArgInt(argc, argv, "--journal", 1) == 0) options.stateFolder = "/proc/pneuvista-no-journal";
  auto app = StartProgram(options);
  if (!app) return 1;
  if (!StartOneSecondRun(*app.app, options.devicePath)) return 1;
  pv::ui::MainWindow* mainWindow = app->mainWindow();
  const pv::AppModel& model = app->model();
  PaintCounter chart(mainWindow->view());
  const pv::ui::FrontPanel& panel = *mainWindow->view()->panel();
  PaintCounter bar(mainWindow->view()->statisticsBar());
  PaintCounter window(mainWindow);
  RunEventsFor(2000);

  const int seconds = ArgInt(argc, argv, "--seconds", 60);
  const long long frames0 = model.ingest.framesIngested;
  const int chart0 = chart.count, panel0 = panel.displayPaints(), bar0 = bar.count,
            window0 = window.count, samples0 = model.store.sampleCount;
  const double wall0 = MonotonicSeconds(), cpu0 = ProcessCpuSeconds();
  RunEventsFor(seconds * 1000);
  const double cpu = ProcessCpuSeconds() - cpu0, wall = MonotonicSeconds() - wall0;

  Report("cpu_seconds", cpu);
  Report("wall_seconds", wall);
  Report("frames", static_cast<double>(model.ingest.framesIngested - frames0));
  Report("samples", model.store.sampleCount - samples0);
  Report("chart_paints", chart.count - chart0);
  Report("panel_paints", panel.displayPaints() - panel0);
  Report("bar_paints", bar.count - bar0);
  Report("window_paints", window.count - window0);
  std::fflush(stdout);
  return 0;
}

// The figure is CPU milliseconds per second of streaming: 10 ms is 1 % of one core.
// Argument 0: the simulator's pressure curve, whose reading changes with almost every
// frame (the panel's display is repainted for each); 1: a steady pressure, the same
// reading in every frame. Argument journal: 1 the run is journaled as always, 0 its
// journal cannot be created, for the journal's share of the figure.
void BM_CpuWhileStreaming87PerSecond(benchmark::State& state) {
  MeasureCpuWhileStreaming(state, state.range(0) == 1, "stream",
                           {QStringLiteral("--journal"), QString::number(state.range(1))}, 90,
                           [&](const ChildResult& r, double wall) {
                             state.counters["frames_per_s"] = r["frames"] / wall;
                             state.counters["samples"] = r["samples"];
                             state.counters["chart_paints_per_s"] = r["chart_paints"] / wall;
                             state.counters["panel_paints_per_s"] = r["panel_paints"] / wall;
                             state.counters["bar_paints_per_s"] = r["bar_paints"] / wall;
                             state.counters["window_paints_per_s"] = r["window_paints"] / wall;
                           });
}
BENCHMARK(BM_CpuWhileStreaming87PerSecond)
    ->ArgNames({"steady", "journal"})
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->Apply(CpuWhileStreamingRuns);

}  // namespace

int main(int argc, char** argv) {
  return ProgramBenchmarkMain(argc, argv, {{"stream", StreamChild}});
}
