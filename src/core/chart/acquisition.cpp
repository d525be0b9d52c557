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
  c.awaitingCursorB = false;
  c.cursorClicks = 1;
  c.onlyCursorA = true;
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
  if (!run.newSample || !model.flags.running) return false;
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
  observer.sampleCommitted();
  return true;
}

void StartRun(AppModel& model, std::time_t now, ModelObserver& observer) {
  model.flags.runRequested = false;
  model.flags.stopped = false;
  model.store.sampleCount = 0;
  model.run.startTime = now;
  model.run.recovered = false;
  model.statsBar.startTime.clear();
  model.statsBar.sampleCount.clear();
  model.run.endText.clear();
  ResetChartForRun(model);
  observer.cursorBarChanged();
  observer.statisticsChanged();
  observer.updateAllViews();
  observer.commandsChanged();
  observer.runStarted();
}

namespace {

// What Stop and a full store share: the run ends, its samples stay.
void EndRun(AppModel& model) {
  ProgramFlags& flags = model.flags;
  flags.stopped = true;
  flags.running = false;
  flags.recording = false;
  flags.hold = false;
  model.run.canStop = false;
}

}  // namespace

bool StopIfStoreFull(AppModel& model, ModelObserver& observer) {
  if (model.store.sampleCount < kMaxSamples) return false;
  const bool wasRunning = model.flags.running;
  EndRun(model);
  if (wasRunning) {
    model.statsBar.exportEnabled = true;
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

int RunDialogPreset(const AppModel& model) {
  const int seconds = model.run.intervalMs / 1000;
  return seconds >= 1 ? seconds : 1;
}

void ConfirmRun(AppModel& model, int enteredSeconds, ModelObserver& observer) {
  const int seconds = std::clamp(enteredSeconds, 1, kMaxIntervalSeconds);
  RunState& run = model.run;
  run.intervalMs = seconds * 1000;
  model.statsBar.interval = Format("%d", seconds);
  if (run.monitoring) {
    run.monitoring = false;
    run.canStop = true;
  }
  observer.updateAllViews();
  model.flags.runRequested = true;
  model.flags.running = true;
  model.flags.graphHasData = true;
  observer.statisticsChanged();
  observer.commandsChanged();
}

std::string FinishRunCommand(AppModel& model, SerialPort& port, ModelObserver& observer) {
  std::string error = Guarded([&] { SendCommand(port, Command::Run, SendPrep::OpenOnly); });
  model.statsBar.exportEnabled = false;
  observer.armSampleTimer(model.run.intervalMs);
  observer.statisticsChanged();
  return error;
}

void Stop(AppModel& model, ModelObserver& observer) {
  EndRun(model);
  model.statsBar.exportEnabled = true;
  observer.statisticsChanged();
  observer.commandsChanged();
}

void RestoreRun(AppModel& model, const JournalHeader& header, SampleStore&& store, int samples,
                ModelObserver& observer) {
  EndRun(model);
  model.flags.runRequested = false;
  model.flags.graphHasData = true;
  model.store = std::move(store);
  model.store.sampleCount = std::clamp(samples, 0, kMaxSamples);
  RunState& run = model.run;
  run.startTime = header.startTime;
  run.recovered = true;
  run.intervalMs = std::clamp(header.intervalMs, 1000, kMaxIntervalSeconds * 1000);
  run.newSample = false;
  model.statsBar.interval = Format("%d", run.intervalSeconds());
  model.statsBar.exportEnabled = true;
  ResetChartForRun(model);
  DescribeRunClock(model);
  observer.cursorBarChanged();
  observer.statisticsChanged();
  observer.updateAllViews();
  observer.commandsChanged();
}

}  // namespace pv
