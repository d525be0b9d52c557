// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole-program measurements: each one runs the windowed program's own start-up
// (MeterApp, offscreen) in a fresh child process, so that memory peaks, CPU time and
// start-up time belong to the program alone. The benchmark binary re-executes itself
// with --program-child=MODE for the child's part; the child prints its figures as
// "key=value" lines on standard output and the parent hands them to Google Benchmark.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "demo_meter.h"
#include "sim/pty_meter.h"
#include "event_loop.h"
#include "app_model.h"
#include "ui/app/meter_app.h"
#include "ui/window/main_window.h"

namespace pv::bench {

inline constexpr const char* kChildFlag = "--program-child=";

// Seconds of streaming measured by the CPU benchmarks; PNEUVISTA_BENCH_SECONDS shortens
// it while investigating.
inline int StreamSeconds() {
  const char* s = std::getenv("PNEUVISTA_BENCH_SECONDS");
  const int n = s ? std::atoi(s) : 0;
  return n > 0 ? n : 60;
}

// Seconds on the system-wide monotonic clock, comparable between processes.
inline double MonotonicSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// User plus system CPU time of this whole process, every thread included.
inline double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// A "VmHWM:" or "VmRSS:" line of /proc/self/status, in MB (10^6 bytes).
inline double ProcStatusMB(const char* key) {
  const long kib = testsupport::ProcStatusKiB(key);
  return kib < 0 ? -1 : static_cast<double>(kib) * 1024.0 / 1e6;
}

// The mode this process was started in, or empty for the benchmark parent.
inline std::string ChildMode(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kChildFlag, std::strlen(kChildFlag)) == 0)
      return argv[i] + std::strlen(kChildFlag);
  }
  return {};
}

// The argument after "--device" in the child's command line.
inline std::string ChildDevice(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--device") == 0) return argv[i + 1];
  return {};
}

inline void Report(const char* key, double value) {
  std::printf("%s=%.9g\n", key, value);
}

using testsupport::PaintCounter;
using testsupport::RunEventsFor;
using testsupport::WaitFor;

// The result of one child run: its figures, or why it failed.
struct ChildResult {
  std::map<std::string, double> figures;
  std::string error;
  double startedAt = 0;  // monotonic seconds just before the child was started

  double operator[](const std::string& key) const {
    auto it = figures.find(key);
    return it == figures.end() ? -1 : it->second;
  }
};

// Starts this benchmark binary again in `mode` (offscreen, its own configuration
// folder) and waits for it while the parent's event loop runs (a simulated meter in
// the parent keeps streaming meanwhile).
inline ChildResult RunChild(const std::string& mode, const QStringList& extra, int timeoutMs) {
  ChildResult result;
  QTemporaryDir config;
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  env.insert(QStringLiteral("XDG_STATE_HOME"), config.path() + QStringLiteral("/state"));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::SeparateChannels);
  QStringList args{QString::fromStdString(kChildFlag + mode)};
  args += extra;
  result.startedAt = MonotonicSeconds();
  child.start(QStringLiteral("/proc/self/exe"), args);
  if (!WaitFor([&] { return child.state() == QProcess::NotRunning; }, timeoutMs)) {
    child.kill();
    child.waitForFinished();
    result.error = "the program did not finish in time";
    return result;
  }
  const QByteArray err = child.readAllStandardError();
  if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
    result.error = "the program failed: " + err.trimmed().right(300).toStdString();
    return result;
  }
  for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
    const int eq = static_cast<int>(line.indexOf('='));
    if (eq > 0) result.figures[line.left(eq).toStdString()] = line.mid(eq + 1).toDouble();
  }
  return result;
}

inline int ArgInt(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

inline const char* ArgText(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  return "";
}

// CPU of a child while the simulated meter streams at the line's limit (87 frames a
// second; `steady`: the same reading in every frame): each iteration runs child `mode`
// on the meter's device for StreamSeconds() with `extra` arguments. The child reports
// cpu_seconds and wall_seconds; the iteration's time is the CPU share of one core (the
// figure reads as milliseconds per second, so 10 ms is 1 %), and `more` adds counters
// from the child's other figures, given the wall seconds they cover.
inline void MeasureCpuWhileStreaming(benchmark::State& state, bool steady, const std::string& mode,
                                     const QStringList& extra, int slackSeconds,
                                     const std::function<void(const ChildResult&, double)>& more) {
  PtyMeter meter;
  meter.setFramesPerSecond(PtyMeter::kMaxFramesPerSecond);
  if (steady) meter.model().setCurve(12.5f, 0.0f, 20.0, 0.0f);
  if (!meter.start()) {
    state.SkipWithError(meter.errorString().c_str());
    return;
  }
  const int seconds = StreamSeconds();
  QStringList args{QStringLiteral("--device"), QString::fromStdString(meter.devicePath()),
                   QStringLiteral("--seconds"), QString::number(seconds)};
  args += extra;
  for (auto _ : state) {
    const ChildResult r = RunChild(mode, args, (seconds + slackSeconds) * 1000);
    if (!r.error.empty()) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    const double wall = r["wall_seconds"];
    state.SetIterationTime(r["cpu_seconds"] / wall);
    state.counters["cpu_pct"] = 100 * r["cpu_seconds"] / wall;
    more(r, wall);
  }
}

// The settings every whole-program CPU benchmark registers with: one child run per
// repetition, timed by the CPU share it reports, three repetitions. Usage:
// BENCHMARK(BM_X)->Apply(CpuWhileStreamingRuns).
inline void CpuWhileStreamingRuns(benchmark::internal::Benchmark* b) {
  b->UseManualTime()->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
}

// The started program: the application and, with --demo, the simulated meter it
// opens, which outlives it.
struct StartedProgram {
  std::unique_ptr<PtyMeter> demoMeter;
  std::unique_ptr<ui::MeterApp> app;

  ui::MeterApp* operator->() const { return app.get(); }
  explicit operator bool() const { return app != nullptr; }
};

// What apps/pneuvista_main.cpp does before the event loop.
inline StartedProgram StartProgram(ui::StartOptions options) {
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("PNEUVISTA"));
  StartedProgram program;
  QString demoError;
  program.demoMeter = StartDemoMeter(options, demoError);
  if (!demoError.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(demoError));
    return {};
  }
  // The benchmarks' user answers Run's questions: No to saving, one sample a second.
  ui::UserPrompts prompts;
  prompts.askSampleRate = [](int, int* seconds) {
    *seconds = 1;
    return true;
  };
  prompts.askToSave = [](const QString&) { return SaveAnswer::DontSave; };
  program.app = std::make_unique<ui::MeterApp>(std::move(options), std::move(prompts));
  if (!program.app->start()) {
    std::fprintf(stderr, "%s\n", qPrintable(program.app->errorString()));
    return {};
  }
  return program;
}

// The user starts a run at one sample a second once the meter is heard, answering No
// to saving a run before: where the streaming benchmarks measure from. False, with the
// reason on standard error, when the meter stays silent or the run does not start.
inline bool StartOneSecondRun(ui::MeterApp& app, const std::string& device) {
  ui::MainWindow* mainWindow = app.mainWindow();
  const AppModel& model = app.model();
  if (!WaitFor([&] { return model.ingest.framesIngested >= 20; }, 20000)) {
    std::fprintf(stderr, "no readings from %s\n", device.c_str());
    return false;
  }
  mainWindow->runCommand(ui::WindowCommand::Run);
  if (!WaitFor([&] { return model.store.sampleCount >= 1; }, 10000)) {
    std::fprintf(stderr, "the run did not start\n");
    return false;
  }
  return true;
}

// main() of a whole-program benchmark: a child mode runs the program's part, else
// the benchmarks run (with an event loop for the simulated meters they keep).
inline int ProgramBenchmarkMain(int argc, char** argv,
                                const std::map<std::string, int (*)(int, char**)>& children) {
  const std::string mode = ChildMode(argc, argv);
  if (!mode.empty()) {
    auto it = children.find(mode);
    return it == children.end() ? 2 : it->second(argc, argv);
  }
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace pv::bench
