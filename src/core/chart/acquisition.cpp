#include "chart/acquisition.h"

#include <algorithm>
#include <climits>

#include "link/link.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr const char* kClockFormat = "%H:%M:%S";
constexpr const char* kBarStartFormat = "%d/%m/%y %H:%M:%S";

// The interval in milliseconds must fit the view's 32-bit field.
constexpr int kMaxIntervalSeconds = INT_MAX / 1000;

}  // namespace

bool CommitTick(AppModel& model, bool rubberBandActive, ModelObserver& observer) {
  ViewStore& view = model.view;
  if (!view.m_bNewSample || !model.frame.m_bRunning) return false;
  // The run stops at kMaxSamples; a tick that comes before the stop takes effect must
  // not open a slot beyond the store.
  if (view.m_nSample >= kMaxSamples) return false;
  if (!rubberBandActive) observer.invalidateChart(false);
  std::tm start{};
  if (localtime_r(&view.m_timeStart, &start)) {
    view.m_nStartHour = start.tm_hour;
    view.m_nStartMin = start.tm_min;
    view.m_nStartSec = start.tm_sec;
  }
  model.bar.startTime = FormatLocalTime(view.m_timeStart, kBarStartFormat);
  view.m_strStartTime = FormatLocalTime(view.m_timeStart, kClockFormat);
  // Whole seconds per sample times the index, in calendar time: no 32-bit product.
  view.m_strEndTime = FormatLocalTime(view.sampleTime(view.m_nSample), kClockFormat);
  view.m_nSample += 1;
  model.bar.sampleCount = Format("%d", view.m_nSample);
  view.m_bNewSample = false;
  observer.statisticsChanged();
  observer.panelChanged();
  observer.commandsChanged();
  return true;
}

void StartRun(AppModel& model, std::time_t now, ModelObserver& observer) {
  model.frame.m_bRunRequested = false;
  model.frame.m_bStopped = false;
  model.view.m_nSample = 0;
  model.view.m_timeStart = now;
  model.bar.startTime.clear();
  model.bar.sampleCount.clear();
  model.view.m_strEndTime.clear();
  model.cursorBar.clearTexts();
  observer.cursorBarChanged();
  observer.statisticsChanged();
  observer.updateAllViews();
  observer.commandsChanged();
}

namespace {

// What Stop and a full store share: the run ends, its samples stay.
void EndRun(AppModel& model) {
  MainFrameState& frame = model.frame;
  frame.m_bStopped = true;
  frame.m_bRunning = false;
  frame.m_bRecording = false;
  frame.m_bHold = false;
  model.view.m_bCanStop = false;
}

}  // namespace

bool StopIfStoreFull(AppModel& model, ModelObserver& observer) {
  if (model.view.m_nSample < kMaxSamples) return false;
  EndRun(model);
  observer.commandsChanged();
  return true;
}

int RunDialogPreset(const AppModel& model) {
  const int seconds = model.view.m_nSampleIntervalMs / 1000;
  return seconds >= 1 ? seconds : 1;
}

void ConfirmRun(AppModel& model, int enteredSeconds, ModelObserver& observer) {
  const int seconds = std::clamp(enteredSeconds, 1, kMaxIntervalSeconds);
  ViewStore& view = model.view;
  view.m_nSampleIntervalMs = seconds * 1000;
  model.bar.interval = Format("%d", seconds);
  if (view.m_bMonitoring) {
    view.m_bMonitoring = false;
    view.m_bCanStop = true;
  }
  observer.updateAllViews();
  model.frame.m_bRunRequested = true;
  model.frame.m_bRunning = true;
  model.frame.m_bGraphHasData = true;
  observer.statisticsChanged();
  observer.commandsChanged();
}

std::string FinishRunCommand(AppModel& model, SerialPort& port, ModelObserver& observer) {
  std::string error = Guarded([&] { SendCommand(port, Command::Run, SendPrep::OpenOnly); });
  model.bar.exportEnabled = false;
  model.view.m_bStartTimerPending = true;
  observer.statisticsChanged();
  return error;
}

void Stop(AppModel& model, ModelObserver& observer) {
  EndRun(model);
  model.bar.exportEnabled = true;
  observer.statisticsChanged();
  observer.commandsChanged();
}

}  // namespace pv
