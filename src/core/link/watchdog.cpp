#include "link/watchdog.h"

#include "link/link.h"
#include "panel/panel_rows.h"

namespace pv {
namespace {

// The per-number flags cover numbers 0..19; a configured number outside that has no
// flag of its own (the port refuses it anyway).
bool* SelectedPortFlag(ProgramFlags& flags) {
  const int n = flags.portNumber;
  return n >= 0 && n < kPortNumbers ? &flags.awaiting.number[n] : nullptr;
}

void SetAwaiting(ProgramFlags& flags, bool value) {
  flags.awaiting.menu.fill(value);
  if (bool* flag = SelectedPortFlag(flags)) *flag = value;
}

}  // namespace

bool LinkSilent(const ProgramFlags& flags) {
  for (bool flag : flags.awaiting.menu)
    if (flag) return true;
  const int n = flags.portNumber;
  return n >= 0 && n < kPortNumbers && flags.awaiting.number[n];
}

void MarkLinkAlive(ProgramFlags& flags) {
  SetAwaiting(flags, false);
}

bool WatchdogTick(AppModel& model, SerialPort& port, ModelObserver& observer, std::string* portError) {
  ProgramFlags& flags = model.flags;
  const bool lost = LinkSilent(flags);
  std::string error;
  if (lost) {
    const bool runEnds = flags.running;
    ApplyLinkLostRow(model.panel);
    for (PanelField field : {PanelField::Reading, PanelField::Unit, PanelField::UnitMarks,
                             PanelField::HoldWord, PanelField::DifWord, PanelField::RecWord})
      observer.panelFieldChanged(field);
    flags.portMenuEnabled.fill(true);
    model.run.monitoring = false;
    flags.running = false;
    model.run.canStop = false;
    flags.stopped = true;
    // A Run still waiting for its first reading ends with the link too; otherwise the
    // meter's return would start a run nobody is recording, emptying the store.
    flags.runRequested = false;
    observer.panelChanged();
    if (runEnds) {
      // The samples are held as after Stop, and can be exported the same way.
      model.statsBar.exportEnabled = true;
      observer.statisticsChanged();
      observer.runEndedByItself(RunEnd::LinkLost);
    }
    error = Guarded([&] {
      if (port.isOpen()) port.close();
    });
    std::string reopenError = Guarded([&] { ReopenAndConnect(port, flags.portNumber); });
    if (error.empty()) error = std::move(reopenError);
    observer.commandsChanged();
  }
  SetAwaiting(flags, true);
  if (portError) *portError = std::move(error);
  return lost;
}

}  // namespace pv
