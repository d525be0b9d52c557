#pragma once
// The front panel's keys, one row each: the caption, the command it sends, when it is
// accepted and what it changes on the panel at once, without waiting for the meter's
// answer. A new key is one new row here and its place on the panel.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "app_model.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "model_observer.h"
#include "panel/panel_state.h"

namespace pv {

// The states a key's acceptance and the keys it enables depend on, as bits.
using Conditions = std::uint8_t;
inline constexpr Conditions kLinkActive = 1 << 0;  // acquiring, or monitoring the meter
inline constexpr Conditions kMonitoring = 1 << 1;
inline constexpr Conditions kRunning = 1 << 2;
inline constexpr Conditions kHolding = 1 << 3;
inline constexpr Conditions kRelative = 1 << 4;
inline constexpr Conditions kRecording = 1 << 5;

// Open when every condition of need holds and none of refuse.
struct Gate {
  Conditions need = 0;
  Conditions refuse = 0;
};

// A key state a press sets: disabled, or enabled when its gate is open.
struct KeyEnable {
  Key key;
  bool enable;
  Gate gate;
};

constexpr KeyEnable Disable(Key key) {
  return {key, false, {}};
}
constexpr KeyEnable Enable(Key key, Gate gate = {}) {
  return {key, true, gate};
}

// A display word with the field that redraws it.
struct StatusWord {
  std::string PanelState::*text;
  const char* shown;
  PanelField field;
};

// A flag change of a key; flags that bring more with them get a function of their own.
using KeyAction = void (*)(AppModel&, ModelObserver&);

struct KeyRow {
  Key key;
  const char* caption;
  Command command;                  // sent as often as its row in kCommands says
  Gate accepted;                    // and no key is accepted while a range error shows
  KeyAction before;                 // flag changes before the frames go out (may be null)
  KeyAction after;                  // flag changes after them (may be null)
  const StatusWord* word;           // the word a mode key shows or clears (may be null)
  bool wordOn;                      // shows the word, else clears it
  std::span<const KeyEnable> sets;  // key states after the press
  std::optional<Key> replacedBy;    // the mode key shown in this key's place after the press
  bool reopensPort;                 // opens the port again if it was closed
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
