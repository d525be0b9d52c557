// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which menu and toolbar commands the acquisition state allows.
#include "app_model.h"

namespace pv {

struct CommandAvailability {
  bool save = false;
  bool print = false;
  bool run = false;
  bool powerOff = false;
  bool stop = false;
  bool exportRun = false;  // the statistics bar's Export Excel
  bool undoZoom = false;
};

// zoomed: the real-time chart is zoomed in (its owner knows).
CommandAvailability Commands(const AppModel& model, bool zoomed);

}  // namespace pv
