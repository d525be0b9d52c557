// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link.h"

namespace pv {
namespace {

void OpenIfClosed(SerialPort& port) {
  if (!port.isOpen()) port.open();
}

}  // namespace

void FullSetup(SerialPort& port, int comPort) {
  port.selectPort(comPort);
  port.setLineSettings(kLineSettings);
  port.setReceiveThreshold(kFrameLength);
  port.setReadLength(0);
  port.discardInput();
  OpenIfClosed(port);
}

void ReopenAndConnect(SerialPort& port, int comPort) {
  port.selectPort(comPort);
  port.setReadLength(0);
  port.discardInput();
  OpenIfClosed(port);
  SendCommand(port, Command::Connect, SendPrep::None);
}

void CloseIfOpen(SerialPort& port) {
  Guarded([&] {
    if (port.isOpen()) port.close();
  });
}

void SendCommand(SerialPort& port, Command command, SendPrep prep) {
  switch (prep) {
    case SendPrep::None:
      break;
    case SendPrep::OpenOnly:
      OpenIfClosed(port);
      break;
    case SendPrep::Key:
      OpenIfClosed(port);
      port.setReadLength(0);
      port.discardInput();
      break;
    case SendPrep::Exit:
      OpenIfClosed(port);
      port.setReadLength(0);
      port.discardInput();
      break;
  }
  const auto frame = CommandFrame(command);
  for (int i = 0; i < RepeatCount(command); ++i) port.write(frame);
}

}  // namespace pv
