#include "link/watchdog.h"

#include "link/link.h"
#include "panel/panel_rows.h"

namespace pv {
namespace {

// The per-number flags cover numbers 0..19; a configured number outside that has no
// flag of its own (the port refuses it anyway).
bool* SelectedPortFlag(MainFrameState& frame) {
  const int n = frame.m_nComPort;
  return n >= 0 && n < kPortNumbers ? &frame.m_bAwaiting.number[n] : nullptr;
}

void SetAwaiting(MainFrameState& frame, bool value) {
  frame.m_bAwaiting.menu.fill(value);
  if (bool* flag = SelectedPortFlag(frame)) *flag = value;
}

}  // namespace

bool LinkSilent(const MainFrameState& frame) {
  for (bool flag : frame.m_bAwaiting.menu)
    if (flag) return true;
  const int n = frame.m_nComPort;
  return n >= 0 && n < kPortNumbers && frame.m_bAwaiting.number[n];
}

void MarkLinkAlive(MainFrameState& frame) {
  SetAwaiting(frame, false);
}

bool WatchdogTick(AppModel& model, SerialPort& port, ModelObserver& observer, std::string* portError) {
  MainFrameState& frame = model.frame;
  const bool lost = LinkSilent(frame);
  std::string error;
  if (lost) {
    ApplyLinkLostRow(model.panel);
    for (PanelField field : {PanelField::Reading, PanelField::Unit, PanelField::UnitMarks,
                             PanelField::HoldWord, PanelField::DifWord, PanelField::RecWord})
      observer.panelFieldChanged(field);
    frame.m_bPortMenuEnabled.fill(true);
    model.view.m_bMonitoring = false;
    frame.m_bRunning = false;
    model.view.m_bCanStop = false;
    frame.m_bStopped = true;
    // A Run still waiting for its first reading ends with the link too; otherwise the
    // meter's return would start a run nobody is recording, emptying the store.
    frame.m_bRunRequested = false;
    observer.panelChanged();
    error = Guarded([&] {
      if (port.isOpen()) port.close();
    });
    std::string reopenError = Guarded([&] { ReopenAndConnect(port, frame.m_nComPort); });
    if (error.empty()) error = std::move(reopenError);
    observer.commandsChanged();
  }
  SetAwaiting(frame, true);
  if (portError) *portError = std::move(error);
  return lost;
}

}  // namespace pv
