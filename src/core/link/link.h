// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The port sequences of the meter link: set-up, port change, command sending and the
// error guard that wraps each group of port steps.
#include <string>

#include "link/frame.h"
#include "link/serial_port.h"

namespace pv {

// Runs one group of port steps. A PortError ends the group at once and is swallowed;
// the caller goes on with its own work. Returns the error text, empty on success.
template <typename Steps>
std::string Guarded(Steps&& steps) {
  try {
    steps();
    return {};
  } catch (const PortError& e) {
    return e.what()[0] ? e.what() : "port error";
  }
}

// How a command's sender prepares the port before writing.
enum class SendPrep {
  OpenOnly,  // POWEROFF and RUN
  Key,       // panel keys: open, read length 0, discard
  Exit,      // the close sequence: open, read length 0, discard
  None,      // CONNECT, after a full set-up or port change
};

// Start-up: select, line settings, threshold 11, read length 0, discard, open.
void FullSetup(SerialPort& port, int comPort);

// Port change after the port has been closed: select, read length 0, discard, open,
// then CONNECT three times. Settings and threshold stay.
void ReopenAndConnect(SerialPort& port, int comPort);

// Closes the port when it is open; errors are swallowed.
void CloseIfOpen(SerialPort& port);

// Writes the command's frame its repeat count of times after the given preparation.
void SendCommand(SerialPort& port, Command command, SendPrep prep);

}  // namespace pv
