// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The front panel's keys, one row each: the caption, the command it sends, when it is
// accepted and what it changes on the panel at once, without waiting for the meter's
// answer. A new key is one new row here and its place on the panel.
#include <optional>
#include <string>

#include "app_model.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "model_observer.h"
#include "panel/panel_rows.h"
#include "panel/panel_state.h"

namespace pv {

// What a key does at once besides its row (may be null).
using KeyAction = void (*)(AppModel&, ModelObserver&);

struct KeyRow {
  Key key;
  const char* caption;
  Command command;                // sent as often as its row in kCommands says
  Gate accepted;                  // and no key is accepted while a range error shows
  std::optional<PanelRow> panel;  // what a mode key switches the panel to at once
  bool flagsFirst;                // the row's flags change before the frames go out
  KeyAction after;                // after the panel row
  bool reopensPort;               // opens the port again if it was closed
};

const KeyRow& KeyRowOf(Key key);

// Whether the key would be accepted now. Every key is refused while a range error shows.
bool KeyAccepted(const AppModel& model, Key key);

// A key press. A refused key changes nothing and sends nothing. Port errors end the
// sending but not the panel's change. Returns whether the key was accepted;
// portError receives the port's error text.
bool PressKey(AppModel& model, SerialPort& port, Key key, ModelObserver& observer,
              std::string* portError = nullptr);

}  // namespace pv
