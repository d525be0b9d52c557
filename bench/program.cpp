// The windowed program as a whole, each figure from a fresh process that starts the way
// the program starts (CMeterApp, offscreen, its own configuration folder):
//  - peak resident memory with a full real-time store and a loaded 17280-record file,
//    chart and logger graph painted;
//  - time from process start to the first paint of the chart view;
//  - CPU time while the meter streams at the line's limit with a run going and the
//    chart live (the simulated meter lives in the benchmark process, not the measured one).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "platform/qt_serial_port.h"
#include "program_harness.h"
#include "sim/pty_meter.h"
#include "text_format.h"
#include "ui/app/meter_app.h"
#include "ui/chart/dt_view.h"
#include "ui/common/ui_constants.h"
#include "ui/files/real_time_bar.h"
#include "ui/frame/main_frame.h"
#include "ui/logger/logger_graph_wnd.h"
#include "ui/panel/meter_panel.h"

namespace {

using namespace pv::bench;

// Seconds of streaming measured by the CPU benchmark; PNEUVISTA_BENCH_SECONDS shortens
// it while investigating.
int StreamSeconds() {
  const char* s = std::getenv("PNEUVISTA_BENCH_SECONDS");
  const int n = s ? std::atoi(s) : 0;
  return n > 0 ? n : 60;
}

int ArgInt(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

const char* ArgText(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  return "";
}

// What apps/pneuvista_main.cpp does before the event loop.
std::unique_ptr<pv::ui::CMeterApp> StartProgram(pv::ui::StartOptions options) {
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("PNEUVISTA"));
  auto app = std::make_unique<pv::ui::CMeterApp>(std::move(options));
  if (!app->initInstance()) {
    std::fprintf(stderr, "%s\n", qPrintable(app->errorString()));
    return nullptr;
  }
  return app;
}

// A stopped run of 17278 psi samples at 1 s (4.8 hours), as ingestion and the sample
// timer leave the store.
void FillFullRun(pv::AppModel& m, std::time_t end) {
  const pv::UnitInfo& psi = pv::kUnits[pv::kUnitPsi];
  pv::ViewStore& v = m.view;
  v.m_nSampleIntervalMs = 1000;
  v.m_timeStart = end - pv::kMaxSamples;
  v.m_nUnit = pv::kUnitPsi;
  v.m_strUnitName = psi.name;
  v.m_fFullScale = psi.fullScale;
  v.m_nResolution = psi.resolution;
  for (int i = 0; i < pv::kMaxSamples; ++i) {
    const float value = static_cast<float>(std::trunc(4000.0 * std::sin(i * 0.002)) / 1000.0);
    const std::string text = pv::Format("%c%5.3f", value < 0 ? '-' : '+', std::fabs(value));
    m.doc.m_fValue[i] = value;
    std::copy_n(text.begin(), 6, m.doc.m_szText[i].begin());
    v.m_fFullScaleAt[i] = psi.fullScale;
    v.m_fToPsiAt[i] = psi.toPsi;
    v.m_nUnitAt[i] = pv::kUnitPsi;
    v.m_strUnitAt[i] = psi.name;
  }
  v.m_nSample = pv::kMaxSamples;
  m.doc.m_nSample = pv::kMaxSamples;
  v.m_strStartTime = pv::FormatLocalTime(v.m_timeStart, "%H:%M:%S");
  v.m_strEndTime = pv::FormatLocalTime(v.sampleTime(pv::kMaxSamples - 1), "%H:%M:%S");
  m.bar.sampleCount = std::to_string(pv::kMaxSamples);
}

// A full data-logger file (17280 records), written by the program's own encoder.
bool WriteFullLoggerFile(const std::string& path) {
  auto m = std::make_unique<pv::AppModel>();
  FillFullRun(*m, 1700000000);
  for (int i = pv::kMaxSamples; i < pv::kStoreCapacity; ++i) {
    m->doc.m_fValue[i] = m->doc.m_fValue[i - 1];
    m->doc.m_szText[i] = m->doc.m_szText[i - 1];
    m->view.m_fFullScaleAt[i] = m->view.m_fFullScaleAt[i - 1];
    m->view.m_nUnitAt[i] = m->view.m_nUnitAt[i - 1];
    m->view.m_strUnitAt[i] = m->view.m_strUnitAt[i - 1];
  }
  m->view.m_nSample = pv::kStoreCapacity;
  const auto bytes = pv::EncodeDataLoggerFile(*m);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// ---- children: the program itself ------------------------------------------------

int MemoryChild(int argc, char** argv) {
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.demo = true;  // the program with its simulated meter on a pseudo-terminal
  auto app = StartProgram(options);
  if (!app) return 1;
  pv::ui::CMainFrame* frame = app->mainFrame();
  pv::AppModel& model = app->model();
  RunEventsFor(300);

  FillFullRun(model, std::time(nullptr));
  frame->updateCommandStates();
  frame->view()->realTimeBar()->transferToControls();
  frame->view()->repaint();
  if (frame->view()->lastFrame().isNull()) {
    std::fprintf(stderr, "the chart was not painted\n");
    return 1;
  }

  // The statistics bar's Open, shown without a modal loop: Download the file through
  // the window's own code, then paint.
  const QString file = QString::fromLocal8Bit(ArgText(argc, argv, "--file"));
  pv::ui::CLoggerGraphWnd window(model, frame);
  QString failure;
  window.chooseFile = [file] { return file; };
  window.reportFailure = [&failure](const QString& message) { failure = message; };
  model.loggerView.m_bLogGraphClosed = 0;
  window.show();
  window.download();
  window.repaint();
  RunEventsFor(300);
  if (!failure.isEmpty() || model.logger.m_nLogCount != pv::kStoreCapacity) {
    std::fprintf(stderr, "the file was not loaded: %s\n", qPrintable(failure));
    return 1;
  }
  Report("peak_MB", ProcStatusMB("VmHWM:"));
  Report("resident_MB", ProcStatusMB("VmRSS:"));
  std::fflush(stdout);
  return 0;
}

int FirstPaintChild(int argc, char** argv) {
  const double entered = MonotonicSeconds();
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.devicePath = ChildDevice(argc, argv);
  auto app = StartProgram(options);
  if (!app) return 1;
  double painted = -1;
  PaintCounter chart(app->mainFrame()->view());
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

int StreamChild(int argc, char** argv) {
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.devicePath = ChildDevice(argc, argv);
  auto app = StartProgram(options);
  if (!app) return 1;
  pv::ui::CMainFrame* frame = app->mainFrame();
  pv::AppModel& model = app->model();
  // The user chooses Run and a one-second sample rate.
  frame->prompts.askSampleRate = [](int, int* seconds) {
    *seconds = 1;
    return true;
  };
  frame->prompts.askYesNo = [](const QString&) { return false; };

  int frames = 0;
  QObject::connect(&app->port(), &pv::QtSerialPort::dataReceived, [&frames] { ++frames; });
  PaintCounter chart(frame->view());
  PaintCounter panel(frame->view()->panel());
  PaintCounter bar(frame->view()->realTimeBar());
  PaintCounter window(frame);

  if (!WaitFor([&] { return frames >= 20; }, 20000)) {
    std::fprintf(stderr, "no readings from %s\n", options.devicePath.c_str());
    return 1;
  }
  frame->runCommand(pv::ui::ID_RUN);
  if (!WaitFor([&] { return model.view.m_nSample >= 1; }, 10000)) {
    std::fprintf(stderr, "the run did not start\n");
    return 1;
  }
  RunEventsFor(2000);

  const int seconds = ArgInt(argc, argv, "--seconds", 60);
  const int frames0 = frames, chart0 = chart.count, panel0 = panel.count, bar0 = bar.count,
            window0 = window.count, samples0 = model.view.m_nSample;
  const double wall0 = MonotonicSeconds(), cpu0 = ProcessCpuSeconds();
  RunEventsFor(seconds * 1000);
  const double cpu = ProcessCpuSeconds() - cpu0, wall = MonotonicSeconds() - wall0;

  Report("cpu_seconds", cpu);
  Report("wall_seconds", wall);
  Report("frames", frames - frames0);
  Report("samples", model.view.m_nSample - samples0);
  Report("chart_paints", chart.count - chart0);
  Report("panel_paints", panel.count - panel0);
  Report("bar_paints", bar.count - bar0);
  Report("window_paints", window.count - window0);
  std::fflush(stdout);
  return 0;
}

// ---- the benchmarks ----------------------------------------------------------------

void BM_PeakMemoryFullStoreAndLoggerFile(benchmark::State& state) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("full.KvtDat"));
  if (!WriteFullLoggerFile(file.toStdString())) state.SkipWithError("cannot write the data-logger file");
  for (auto _ : state) {
    const ChildResult r = RunChild("memory", {QStringLiteral("--file"), file}, 60000);
    if (!r.error.empty()) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    state.SetIterationTime(MonotonicSeconds() - r.startedAt);
    state.counters["peak_MB"] = r["peak_MB"];
    state.counters["resident_MB"] = r["resident_MB"];
  }
}
BENCHMARK(BM_PeakMemoryFullStoreAndLoggerFile)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

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

// The figure is CPU milliseconds per second of streaming: 10 ms is 1 % of one core.
// Argument 0: the simulator's pressure curve, whose reading changes with almost every
// frame (the panel's display is repainted for each); 1: a steady pressure, the same
// reading in every frame.
void BM_CpuWhileStreaming87PerSecond(benchmark::State& state) {
  pv::PtyMeter meter;
  meter.setFramesPerSecond(pv::PtyMeter::kMaxFramesPerSecond);
  if (state.range(0) == 1) meter.model().setCurve(12.5f, 0.0f, 20.0, 0.0f);
  if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
  const QString device = QString::fromStdString(meter.devicePath());
  const int seconds = StreamSeconds();
  for (auto _ : state) {
    const ChildResult r = RunChild(
        "stream", {QStringLiteral("--device"), device, QStringLiteral("--seconds"), QString::number(seconds)},
        (seconds + 90) * 1000);
    if (!r.error.empty()) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    const double wall = r["wall_seconds"];
    state.SetIterationTime(r["cpu_seconds"] / wall);
    state.counters["cpu_pct"] = 100 * r["cpu_seconds"] / wall;
    state.counters["frames_per_s"] = r["frames"] / wall;
    state.counters["samples"] = r["samples"];
    state.counters["chart_paints_per_s"] = r["chart_paints"] / wall;
    state.counters["panel_paints_per_s"] = r["panel_paints"] / wall;
    state.counters["bar_paints_per_s"] = r["bar_paints"] / wall;
    state.counters["window_paints_per_s"] = r["window_paints"] / wall;
  }
}
BENCHMARK(BM_CpuWhileStreaming87PerSecond)
    ->ArgName("steady")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = ChildMode(argc, argv);
  if (mode == "memory") return MemoryChild(argc, argv);
  if (mode == "first-paint") return FirstPaintChild(argc, argv);
  if (mode == "stream") return StreamChild(argc, argv);
  // The simulated meters of the benchmarks need an event loop in this process.
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
