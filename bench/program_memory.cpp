// SPDX-License-Identifier: GPL-3.0-or-later
// Peak resident memory of the windowed program holding the most it can hold: a full
// real-time store (17278 samples, chart painted) and a full data-logger file (17280
// records) loaded through the Graph window's Download and painted. The program starts
// as it does for a user (MeterApp with its simulated meter, offscreen) in a fresh
// process, which reports its VmHWM. The same run measures a bare Qt main window (menu
// bar, tool bar, status bar, the program's window size) in a fresh process the same
// way, and the program's figure is reported as a ratio to it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "program_harness.h"
#include "text_format.h"
#include "ui/chart/chart_view.h"
#include "ui/chart/statistics_bar.h"
#include "ui/window/main_window.h"
#include "ui/logger/graph_window.h"

namespace {

using namespace pv::bench;

// A stopped run of 17278 psi samples at 1 s (4.8 hours), as ingestion and the sample
// timer leave the store.
void FillFullRun(pv::AppModel& m, std::time_t end) {
  const pv::UnitInfo& psi = pv::kUnits[pv::kUnitPsi];
  pv::SampleStore& store = m.store;
  pv::RunState& run = m.run;
  run.intervalMs = 1000;
  run.startTime = end - pv::kMaxSamples;
  run.unit = pv::kUnitPsi;
  run.unitName = psi.name;
  run.fullScale = psi.fullScale;
  run.resolution = psi.resolution;
  for (int i = 0; i < pv::kMaxSamples; ++i) {
    const float value = static_cast<float>(std::trunc(4000.0 * std::sin(i * 0.002)) / 1000.0);
    const std::string text = pv::Format("%c%5.3f", value < 0 ? '-' : '+', std::fabs(value));
    m.store.values[i] = value;
    std::copy_n(text.begin(), 6, m.store.texts[i].begin());
    store.fullScaleAt[i] = psi.fullScale;
    store.toPsiAt[i] = psi.toPsi;
    store.unitAt[i] = pv::kUnitPsi;
    store.unitNameAt[i] = psi.name;
  }
  store.sampleCount = pv::kMaxSamples;
  run.startText = pv::FormatLocalTime(run.startTime, "%H:%M:%S");
  run.endText = pv::FormatLocalTime(run.sampleTime(pv::kMaxSamples - 1), "%H:%M:%S");
  m.statsBar.sampleCount = std::to_string(pv::kMaxSamples);
}

// A full data-logger file (17280 records), written by the program's own encoder.
bool WriteFullLoggerFile(const std::string& path) {
  auto m = std::make_unique<pv::AppModel>();
  FillFullRun(*m, 1700000000);
  for (int i = pv::kMaxSamples; i < pv::kStoreCapacity; ++i) {
    m->store.values[i] = m->store.values[i - 1];
    m->store.texts[i] = m->store.texts[i - 1];
    m->store.fullScaleAt[i] = m->store.fullScaleAt[i - 1];
    m->store.unitAt[i] = m->store.unitAt[i - 1];
    m->store.unitNameAt[i] = m->store.unitNameAt[i - 1];
  }
  m->store.sampleCount = pv::kStoreCapacity;
  const auto bytes = pv::EncodeDataLoggerFile(*m);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int MemoryChild(int argc, char** argv) {
  pv::ui::PreferQtEventDispatcher();
  QApplication qapp(argc, argv);
  pv::ui::StartOptions options;
  options.demo = true;  // the program with its simulated meter on a pseudo-terminal
  auto app = StartProgram(options);
  if (!app) return 1;
  pv::ui::MainWindow* mainWindow = app->mainWindow();
  pv::AppModel& model = app->model();
  RunEventsFor(300);

  FillFullRun(model, std::time(nullptr));
  mainWindow->updateCommandStates();
  mainWindow->view()->statisticsBar()->refresh();
  mainWindow->view()->repaint();
  if (mainWindow->view()->lastFrame().isNull()) {
    std::fprintf(stderr, "the chart was not painted\n");
    return 1;
  }

  // The statistics bar's Open, shown without a modal loop: Download the file through
  // the window's own code, then paint.
  const QString file = QString::fromLocal8Bit(ArgText(argc, argv, "--file"));
  pv::ui::GraphWindow window(model, mainWindow);
  QString failure;
  window.chooseFile = [file] { return file; };
  window.reportFailure = [&failure](const QString& message) { failure = message; };
  model.loggerView.graphClosed = false;
  window.show();
  window.download();
  window.repaint();
  RunEventsFor(300);
  if (!failure.isEmpty() || model.logger.recordCount != pv::kStoreCapacity) {
    std::fprintf(stderr, "the file was not loaded: %s\n", qPrintable(failure));
    return 1;
  }
  Report("peak_MB", ProcStatusMB("VmHWM:"));
  Report("resident_MB", ProcStatusMB("VmRSS:"));
  std::fflush(stdout);
  return 0;
}

// The floor: a bare main window with a menu, a tool bar and a status bar, sized as
// MeterApp sizes the program's window, shown and painted once.
int BareWindowChild(int argc, char** argv) {
  pv::ui::PreferQtEventDispatcher();
  QApplication qapp(argc, argv);
  QMainWindow window;
  QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&File"));
  menu->addAction(QStringLiteral("&Open..."));
  menu->addAction(QStringLiteral("E&xit"));
  QToolBar* toolBar = window.addToolBar(QStringLiteral("Standard"));
  toolBar->addAction(QStringLiteral("Open"));
  toolBar->addAction(QStringLiteral("Save"));
  window.statusBar()->showMessage(QStringLiteral("Ready"));
  if (QScreen* screen = QGuiApplication::primaryScreen()) window.setGeometry(screen->availableGeometry());
  window.show();
  window.repaint();
  RunEventsFor(300);
  Report("peak_MB", ProcStatusMB("VmHWM:"));
  Report("resident_MB", ProcStatusMB("VmRSS:"));
  std::fflush(stdout);
  return 0;
}

// The bare window's peak, measured before the program's so that the program's ratio
// comes from the same run.
double bareWindowPeakMB = -1;

void BM_PeakMemoryBareMainWindow(benchmark::State& state) {
  for (auto _ : state) {
    const ChildResult r = RunChild("bare-window", {}, 60000);
    if (!r.error.empty()) {
      state.SkipWithError(r.error.c_str());
      break;
    }
    state.SetIterationTime(MonotonicSeconds() - r.startedAt);
    bareWindowPeakMB = r["peak_MB"];
    state.counters["peak_MB"] = r["peak_MB"];
    state.counters["resident_MB"] = r["resident_MB"];
  }
}
BENCHMARK(BM_PeakMemoryBareMainWindow)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

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
    if (bareWindowPeakMB > 0) state.counters["x_bare_window"] = r["peak_MB"] / bareWindowPeakMB;
  }
}
BENCHMARK(BM_PeakMemoryFullStoreAndLoggerFile)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return ProgramBenchmarkMain(argc, argv, {{"memory", MemoryChild}, {"bare-window", BareWindowChild}});
}
