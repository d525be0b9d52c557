// SPDX-License-Identifier: GPL-3.0-or-later
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
    const bool runEnds = RunGoing(model.run.phase);
    ApplyLinkLostRow(model.panel);
    for (PanelField field : {PanelField::Reading, PanelField::Unit, PanelField::UnitMarks,
                             PanelField::HoldWord, PanelField::DifWord, PanelField::RecWord})
      observer.panelFieldChanged(field);
    flags.portMenuEnabled.fill(true);
    // A going run ends, its samples held as after Stop. A Run still waiting for its
    // first reading ends too; otherwise the meter's return would start a run nobody
    // is recording, emptying the store.
    model.run.phase = RunPhase::Idle;
    observer.panelChanged();
    if (runEnds) {
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
