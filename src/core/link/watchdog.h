// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link watchdog: a tick with no frame decoded since the previous one declares the
// link lost, ends a running acquisition and reopens the port with CONNECT.
#include <string>

#include "app_model.h"
#include "link/serial_port.h"
#include "model_observer.h"

namespace pv {

// One tick of the watchdog timer (the caller re-arms it with kWatchdogPeriodMs).
// Returns whether the link was declared lost; portError receives the port's error text
// of the reopen (empty when it succeeded or nothing was reopened).
bool WatchdogTick(AppModel& model, SerialPort& port, ModelObserver& observer,
                  std::string* portError = nullptr);

inline constexpr int kWatchdogFirstMs = 3000;
inline constexpr int kWatchdogPeriodMs = 5000;

// True when nothing was decoded since the last tick: any of the four menu-port flags
// or the selected port's flag is set.
bool LinkSilent(const ProgramFlags& flags);

// Every decoded frame clears the four menu-port flags and the selected port's flag.
void MarkLinkAlive(ProgramFlags& flags);

}  // namespace pv
