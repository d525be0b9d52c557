#include "chart/command_availability.h"

namespace pv {

CommandAvailability Commands(const AppModel& model, bool zoomed) {
  CommandAvailability a;
  a.save = a.print = model.store.sampleCount != 0;
  a.run = a.powerOff = model.run.monitoring;
  a.stop = model.run.canStop;
  a.undoZoom = zoomed;
  return a;
}

}  // namespace pv
