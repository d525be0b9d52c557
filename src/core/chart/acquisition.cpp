// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/acquisition.h"

#include <algorithm>

#include "link/link.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr const char* kClockFormat = "%H:%M:%S";
constexpr const char* kBarStartFormat = "%d/%m/%y %H:%M:%S";

// A new run starts on the live chart: the previous run's compression, zoom, pan and
// cursors describe samples that are gone. Done here rather than at a later paint, so
// that a run whose first paint is missed (a minimised window) starts the same way.
void ResetChartForRun(AppModel& model) {
  ChartState& c = model.chart;
  c.windowSamples = kInitialWindowSamples;
  c.live = true;
  c.zoomDepth = 0;
  c.scrollOffset = 0;
  c.levelZeroStep = c.step;
  c.levelZeroWindowSamples = kInitialWindowSamples;
  // The cursors as at start-up: hidden, none placed, the next click places A.
  c.cursorA = -1;
  c.cursorB = -1;
  c.cursorsHidden = true;
  c.cursorStage = CursorStage::kNonePlaced;
  model.cursorBar.clearTexts();
  model.cursorBar.clearEnabled = false;
}

// The run's clock texts as the files and the statistics bar show them, for the
// samples committed so far: the start, and the time of the last sample.
void DescribeRunClock(AppModel& model) {
  RunState& run = model.run;
  std::tm start{};
  if (localtime_r(&run.startTime, &start)) {
    run.startHour = start.tm_hour;
    run.startMinute = start.tm_min;
    run.startSecond = start.tm_sec;
  }
  model.statsBar.startTime = FormatLocalTime(run.startTime, kBarStartFormat);
  run.startText = FormatLocalTime(run.startTime, kClockFormat);
  // Whole seconds per sample times the index, in calendar time: no 32-bit product.
  run.endText = FormatLocalTime(run.sampleTime(model.store.sampleCount - 1), kClockFormat);
  model.statsBar.sampleCount = Format("%d", model.store.sampleCount);
}

}  // namespace

bool CommitTick(AppModel& model, bool rubberBandActive, ModelObserver& observer) {
  SampleStore& store = model.store;
  RunState& run = model.run;
  if (!run.newSample || run.phase != RunPhase::Running) return false;
  // The run stops at kMaxSamples; a tick that comes before the stop takes effect must
  // not open a slot beyond the store.
  if (store.sampleCount >= kMaxSamples) return false;
  if (!rubberBandActive) observer.invalidateChart(false);
  store.sampleCount += 1;
  DescribeRunClock(model);
  run.newSample = false;
  observer.statisticsChanged();
  observer.panelChanged();
  observer.commandsChanged();
  return true;
}

void StartRun(AppModel& model, std::time_t start, ModelObserver& observer) {
  model.run.phase = RunPhase::Running;
  model.store.sampleCount = 0;
  model.run.startTime = start;
  model.run.recovered = false;
  model.statsBar.startTime.clear();
  model.statsBar.sampleCount.clear();
  model.run.endText.clear();
  ResetChartForRun(model);
  observer.cursorBarChanged();
  observer.statisticsChanged();
  observer.chartAndCommandsChanged();
  observer.commandsChanged();
}

namespace {

// What Stop, a full store and a restored run share: a going run ends, its samples
// stay; Run waits for the next reading.
void EndRun(ProgramFlags& flags, RunState& run) {
  flags.recording = false;
  flags.hold = false;
  if (RunGoing(run.phase)) run.phase = RunPhase::Idle;
}

}  // namespace

bool StopIfStoreFull(const SampleStore& store, ProgramFlags& flags, RunState& run, ModelObserver& observer) {
  if (store.sampleCount < kMaxSamples) return false;
  // A Run waiting for its first reading goes on: that reading empties the store.
  if (run.phase == RunPhase::Requested) return true;
  const bool wasRunning = run.phase == RunPhase::Running;
  EndRun(flags, run);
  if (wasRunning) {
    observer.statisticsChanged();
    observer.runEndedByItself(RunEnd::StoreFull);
  }
  observer.commandsChanged();
  return true;
}

std::string RunEndedText(RunEnd cause, std::time_t at, int samples) {
  if (cause == RunEnd::StoreFull) return Format("Run ended: the store is full (%d samples)", samples);
  return "Run ended: the meter stopped answering at " + FormatLocalTime(at, kClockFormat) + "; " +
         Format(samples == 1 ? "%d sample held" : "%d samples held", samples);
}

int RunDialogPreset(const RunState& run) {
  const int seconds = run.intervalMs / 1000;
  return seconds >= 1 ? seconds : 1;
}

void ConfirmRun(RunState& run, StatisticsBarTexts& statsBar, int enteredSeconds, ModelObserver& observer) {
  const int seconds = std::clamp(enteredSeconds, 1, kMaxIntervalSeconds);
  run.intervalMs = seconds * 1000;
  statsBar.interval = Format("%d", seconds);
  run.phase = RunPhase::Requested;
  observer.chartAndCommandsChanged();
  observer.statisticsChanged();
  observer.commandsChanged();
}

std::string SendRun(SerialPort& port, ModelObserver& observer) {
  std::string error = Guarded([&] { SendCommand(port, Command::Run, SendPrep::OpenOnly); });
  observer.statisticsChanged();
  return error;
}

void Stop(ProgramFlags& flags, RunState& run, ModelObserver& observer) {
  EndRun(flags, run);
  observer.statisticsChanged();
  observer.commandsChanged();
}

void RestoreRun(AppModel& model, const JournalHeader& header, SampleStore&& store, int samples,
                ModelObserver& observer) {
  EndRun(model.flags, model.run);
  model.store = std::move(store);
  model.store.sampleCount = std::clamp(samples, 0, kMaxSamples);
  RunState& run = model.run;
  run.startTime = header.startTime;
  run.recovered = true;
  run.intervalMs = std::clamp(header.intervalMs, 1000, kMaxIntervalSeconds * 1000);
  run.newSample = false;
  model.statsBar.interval = Format("%d", run.intervalSeconds());
  ResetChartForRun(model);
  DescribeRunClock(model);
  observer.cursorBarChanged();
  observer.statisticsChanged();
  observer.chartAndCommandsChanged();
  observer.commandsChanged();
}

}  // namespace pv
