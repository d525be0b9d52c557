// SPDX-License-Identifier: GPL-3.0-or-later
// Time from process start to the first paint of the chart view: the benchmark starts a
// fresh process that runs the program's start-up (MeterApp, offscreen, its own
// configuration folder, the port on a simulated meter) and reports the monotonic clock
// once the view's first paint has been handled.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>

#include "program_harness.h"
#include "sim/pty_meter.h"
#include "ui/chart/chart_view.h"
#include "ui/window/main_window.h"

namespace {

using namespace pv::bench;

int FirstPaintChild(int argc, char** argv) {
  const double entered = MonotonicSeconds();
  pv::ui::PreferQtEventDispatcher();
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.devicePath = ChildDevice(argc, argv);
  auto app = StartProgram(options);
  if (!app) return 1;
  double painted = -1;
  PaintCounter chart(app->mainWindow()->view());
  // The paint event's handler has run (and the window's surface has been flushed) by
  // the time a zero timer started from inside the paint fires.
  chart.onFirst = [&] {
    QTimer::singleShot(0, [&] {
      painted = MonotonicSeconds();
      QCoreApplication::quit();
    });
  };
  QTimer::singleShot(20000, [] { QCoreApplication::quit(); });
  QApplication::exec();
  if (painted < 0) {
    std::fprintf(stderr, "the chart view was never painted\n");
    return 1;
  }
  Report("main_entered", entered);
  Report("first_paint", painted);
  std::fflush(stdout);
  return 0;
}

void BM_StartToFirstPaint(benchmark::State& state) {
  pv::PtyMeter meter;
  if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
  const QString device = QString::fromStdString(meter.devicePath());
  for (auto _ : state) {
    const ChildResult r = RunChild("first-paint", {QStringLiteral("--device"), device}, 60000);
    if (!r.error.empty()) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    state.SetIterationTime(r["first_paint"] - r.startedAt);
    state.counters["from_main_ms"] = 1000 * (r["first_paint"] - r["main_entered"]);
  }
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return ProgramBenchmarkMain(argc, argv, {{"first-paint", FirstPaintChild}});
}
