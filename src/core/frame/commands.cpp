#include "frame/commands.h"

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
    FullSetup(port, model.frame.m_nComPort);
    SendCommand(port, Command::Connect, SendPrep::None);
  });
}

std::string ChoosePort(AppModel& model, SerialPort& port, int k, ModelObserver& observer) {
  if (k < 1 || k > kMenuPorts) return {};
  MainFrameState& frame = model.frame;
  std::string closeError = Guarded([&] {
    if (port.isOpen()) port.close();
  });
  frame.m_nComPort = k;
  std::string error = Guarded([&] { ReopenAndConnect(port, k); });
  frame.m_bAwaiting.menu[k - 1] = true;
  for (int i = 0; i < kMenuPorts; ++i) frame.m_bComChecked[i] = i == k - 1;
  observer.updateAllViews();
  observer.commandsChanged();
  return error.empty() ? closeError : error;
}

int OtherPortDialogPreset(const AppModel& model) {
  return model.frame.m_nComPort >= kOtherComMin ? model.frame.m_nComPort : kOtherComMin;
}

bool ChooseOtherPort(AppModel& model, SerialPort& port, int n, ModelObserver& observer,
                     std::string* portError) {
  if (n < kOtherComMin || n > kOtherComMax) return false;
  MainFrameState& frame = model.frame;
  frame.m_bAwaiting.number.fill(false);
  frame.m_nComPort = n;
  frame.m_bAwaiting.number[n] = true;
  std::string error = ChangePort(port, n);
  frame.m_bComChecked.fill(false);
  observer.updateAllViews();
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

bool ShouldAskSaveOnClose(const AppModel& model) {
  return model.view.m_nSample >= 2;
}

bool ShouldAskSaveOnRun(const AppModel& model) {
  return model.frame.m_bGraphHasData;
}

}  // namespace pv
