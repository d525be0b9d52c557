// SPDX-License-Identifier: GPL-3.0-or-later
// A long session: the windowed program against the simulated meter at the line's limit
// (87 frames a second) with a one-second run going and the chart live, for
// PNEUVISTA_ENDURANCE_SECONDS (120 by default; 3600 for the hour). The program runs
// in a fresh process (MeterApp, offscreen); the meter lives in the benchmark process.
//
// Reported: resident memory at the end of the warm-up (the first quarter, at most five
// minutes) and its growth after it, the frames the meter sent and the program took in
// over the measured span, the run's samples against the seconds elapsed, and the
// longest gap between two paints of the chart, which samples once a second.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "app_model.h"
#include "platform/qt_serial_port.h"
#include "program_harness.h"
#include "sim/pty_meter.h"
#include "ui/chart/chart_view.h"
#include "ui/window/main_window.h"

namespace {

using namespace pv::bench;

int EnduranceSeconds() {
  const char* s = std::getenv("PNEUVISTA_ENDURANCE_SECONDS");
  const int n = s ? std::atoi(s) : 0;
  return n > 0 ? n : 120;
}

int WarmUpSeconds(int seconds) {
  return std::min(300, seconds / 4);
}

// The longest time between two paints of a widget.
class PaintGaps : public QObject {
 public:
  explicit PaintGaps(QWidget* w) {
    w->installEventFilter(this);
    clock_.start();
  }
  void reset() {
    longestMs = 0;
    last_ = clock_.elapsed();
  }
  qint64 longestMs = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      const qint64 now = clock_.elapsed();
      longestMs = std::max(longestMs, now - last_);
      last_ = now;
    }
    return false;
  }

 private:
  QElapsedTimer clock_;
  qint64 last_ = 0;
};

int EnduranceChild(int argc, char** argv) {
  pv::ui::PreferQtEventDispatcher();
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.devicePath = ChildDevice(argc, argv);
  auto app = StartProgram(options);
  if (!app) return 1;
  if (!StartOneSecondRun(*app.app, options.devicePath)) return 1;
  pv::ui::MainWindow* mainWindow = app->mainWindow();
  const pv::AppModel& model = app->model();
  PaintGaps chartPaints(mainWindow->view());

  const int seconds = ArgInt(argc, argv, "--seconds", 120);
  const int warmUp = WarmUpSeconds(seconds);
  RunEventsFor(warmUp * 1000);

  // The measured span.
  const double rssAtWarmUp = ProcStatusMB("VmRSS:");
  double rssMax = rssAtWarmUp;
  QTimer rssWatch;
  QObject::connect(&rssWatch, &QTimer::timeout, [&] { rssMax = std::max(rssMax, ProcStatusMB("VmRSS:")); });
  rssWatch.start(10000);
  chartPaints.reset();
  const long long frames0 = model.ingest.framesIngested;
  const int samples0 = model.store.sampleCount;
  const double t0 = MonotonicSeconds(), cpu0 = ProcessCpuSeconds();
  RunEventsFor((seconds - warmUp) * 1000);
  const double t1 = MonotonicSeconds(), cpu1 = ProcessCpuSeconds();
  rssMax = std::max(rssMax, ProcStatusMB("VmRSS:"));

  Report("t0", t0);
  Report("t1", t1);
  Report("cpu_seconds", cpu1 - cpu0);
  Report("frames_ingested", static_cast<double>(model.ingest.framesIngested - frames0));
  Report("samples", model.store.sampleCount - samples0);
  Report("rss_warm_MB", rssAtWarmUp);
  Report("rss_max_MB", rssMax);
  Report("rss_end_MB", ProcStatusMB("VmRSS:"));
  Report("peak_MB", ProcStatusMB("VmHWM:"));
  Report("longest_chart_gap_ms", static_cast<double>(chartPaints.longestMs));
  std::fflush(stdout);
  return 0;
}

void BM_EnduranceAt87FramesPerSecond(benchmark::State& state) {
  pv::PtyMeter meter;
  meter.setFramesPerSecond(pv::PtyMeter::kMaxFramesPerSecond);
  // The meter's send times, to count what it sent within the program's measured span.
  std::vector<double> sentAt;
  QObject::connect(&meter, &pv::PtyMeter::frameSent, [&sentAt] { sentAt.push_back(MonotonicSeconds()); });
  if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
  const QString device = QString::fromStdString(meter.devicePath());
  const int seconds = EnduranceSeconds();
  for (auto _ : state) {
    sentAt.clear();
    const ChildResult r =
        RunChild("endurance",
                 {QStringLiteral("--device"), device, QStringLiteral("--seconds"), QString::number(seconds)},
                 (seconds + 120) * 1000);
    if (!r.error.empty()) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    const double t0 = r["t0"], t1 = r["t1"];
    const auto sent =
        std::count_if(sentAt.begin(), sentAt.end(), [&](double t) { return t >= t0 && t < t1; });
    const double span = t1 - t0;
    state.SetIterationTime(span);
    state.counters["seconds"] = span;
    state.counters["frames_sent"] = static_cast<double>(sent);
    state.counters["frames_ingested"] = r["frames_ingested"];
    state.counters["frames_missed"] = static_cast<double>(sent) - r["frames_ingested"];
    state.counters["samples"] = r["samples"];
    state.counters["samples_missed"] = span - r["samples"];
    state.counters["longest_chart_gap_ms"] = r["longest_chart_gap_ms"];
    state.counters["rss_warm_MB"] = r["rss_warm_MB"];
    state.counters["rss_growth_MB"] = r["rss_max_MB"] - r["rss_warm_MB"];
    state.counters["rss_end_MB"] = r["rss_end_MB"];
    state.counters["peak_MB"] = r["peak_MB"];
    state.counters["cpu_pct"] = 100 * r["cpu_seconds"] / span;
  }
}
BENCHMARK(BM_EnduranceAt87FramesPerSecond)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  return ProgramBenchmarkMain(argc, argv, {{"endurance", EnduranceChild}});
}
