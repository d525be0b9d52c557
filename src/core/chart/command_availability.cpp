// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/command_availability.h"

namespace pv {

CommandAvailability Commands(const AppModel& model, bool zoomed) {
  CommandAvailability a;
  a.save = a.print = model.store.sampleCount != 0;
  a.run = a.powerOff = CanRun(model.run.phase);
  a.stop = CanStop(model.run.phase);
  a.exportRun = RunOnShow(model.run.phase, model.store.sampleCount);
  a.undoZoom = zoomed;
  return a;
}

}  // namespace pv
