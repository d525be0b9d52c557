// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_commands.h"

#include "link/link.h"

namespace pv {
namespace {

// Closing an open port comes before the guarded port change; its error is reported
// only when the rest succeeded.
std::string ChangePort(SerialPort& port, int number) {
  std::string closeError = Guarded([&] {
    if (port.isOpen()) port.close();
  });
  std::string error = Guarded([&] { ReopenAndConnect(port, number); });
  return error.empty() ? closeError : error;
}

}  // namespace

std::string StartupPortSteps(AppModel& model, SerialPort& port) {
  return Guarded([&] {
    FullSetup(port, model.flags.portNumber);
    SendCommand(port, Command::Connect, SendPrep::None);
  });
}

std::string ChoosePort(AppModel& model, SerialPort& port, int k, ModelObserver& observer) {
  if (k < 1 || k > kMenuPorts) return {};
  ProgramFlags& flags = model.flags;
  std::string closeError = Guarded([&] {
    if (port.isOpen()) port.close();
  });
  flags.portNumber = k;
  std::string error = Guarded([&] { ReopenAndConnect(port, k); });
  flags.awaiting.menu[k - 1] = true;
  for (int i = 0; i < kMenuPorts; ++i) flags.portChecked[i] = i == k - 1;
  observer.chartAndCommandsChanged();
  observer.commandsChanged();
  return error.empty() ? closeError : error;
}

int OtherPortDialogPreset(const AppModel& model) {
  return model.flags.portNumber >= kOtherComMin ? model.flags.portNumber : kOtherComMin;
}

bool ChooseOtherPort(AppModel& model, SerialPort& port, int n, ModelObserver& observer,
                     std::string* portError) {
  if (n < kOtherComMin || n > kOtherComMax) return false;
  ProgramFlags& flags = model.flags;
  flags.awaiting.number.fill(false);
  flags.portNumber = n;
  flags.awaiting.number[n] = true;
  std::string error = ChangePort(port, n);
  flags.portChecked.fill(false);
  observer.chartAndCommandsChanged();
  observer.commandsChanged();
  if (portError) *portError = std::move(error);
  return true;
}

std::string PowerOff(SerialPort& port) {
  return Guarded([&] { SendCommand(port, Command::PowerOff, SendPrep::OpenOnly); });
}

std::string CloseSequencePortSteps(SerialPort& port) {
  return Guarded([&] {
    SendCommand(port, Command::Exit, SendPrep::Exit);
    SendCommand(port, Command::Disconnect, SendPrep::None);
  });
}

}  // namespace pv
