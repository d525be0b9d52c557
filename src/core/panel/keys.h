#pragma once
// The front panel's keys: when each is accepted, the frames it sends and what it
// changes on the panel at once, without waiting for the meter's answer.
#include <string>

#include "app_model.h"
#include "link/serial_port.h"
#include "model_observer.h"
#include "panel/panel_state.h"

namespace pv {

// Whether the key would be accepted now. Every key is refused while a range error shows.
bool KeyAccepted(const AppModel& model, Key key);

// A key press. A refused key changes nothing and sends nothing. Port errors end the
// sending but not the panel's change. Returns whether the key was accepted;
// portError receives the port's error text.
bool PressKey(AppModel& model, SerialPort& port, Key key, ModelObserver& observer,
              std::string* portError = nullptr);

}  // namespace pv
