// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's commands that touch the port: start-up, port choice, PowerOff
// and the port steps of closing the program. Each returns the port's error text
// (empty when the port did everything) so the window can say why a port failed.
#include <string>

#include "app_model.h"
#include "link/serial_port.h"
#include "model_observer.h"

namespace pv {

// Start-up: full set-up of port portNumber and CONNECT three times.
std::string StartupPortSteps(AppModel& model, SerialPort& port);

// COM1..COM4 (k = 1..4; any other k changes nothing).
std::string ChoosePort(AppModel& model, SerialPort& port, int k, ModelObserver& observer);

// Value the port-number dialog opens with.
int OtherPortDialogPreset(const AppModel& model);

// Other COM confirmed with n: only 5..16 are accepted; anything else changes nothing
// and returns false.
bool ChooseOtherPort(AppModel& model, SerialPort& port, int n, ModelObserver& observer,
                     std::string* portError = nullptr);

// PowerOff: POWEROFF three times; the watchdog notices the silence.
std::string PowerOff(SerialPort& port);

// Closing the main window: EXIT three times, then DISCONNECT six times.
std::string CloseSequencePortSteps(SerialPort& port);

}  // namespace pv
