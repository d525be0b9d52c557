#include "chart/command_availability.h"

namespace pv {

CommandAvailability Commands(const AppModel& model, bool zoomed) {
  CommandAvailability a;
  a.save = a.print = model.view.m_nSample != 0;
  a.run = a.powerOff = model.view.m_bMonitoring;
  a.stop = model.view.m_bCanStop;
  a.undoZoom = zoomed;
  return a;
}

}  // namespace pv
