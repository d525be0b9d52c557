// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the front panel shows: its display texts and the state of its nine keys.
#include <array>
#include <string>

namespace pv {

enum class Key { Hold, Unhold, Rec, Unrec, Light, Zero, Units, Dif, Undif };
inline constexpr int kKeyCount = 9;

struct KeyState {
  bool shown = true;
  bool enabled = false;
};

inline constexpr const char* kLinkLostReading = "  - - - - ";

struct PanelState {
  std::string reading;
  std::string unit;
  std::string holdWord;
  std::string difWord;
  std::string recWord;
  // Indexed by Key. As created: the six main keys shown and disabled, the UN-keys hidden.
  std::array<KeyState, kKeyCount> keys{{
      {true, false}, {false, true}, {true, false}, {false, true}, {true, false},
      {true, false}, {true, false}, {true, false}, {false, true},
  }};

  KeyState& key(Key k) { return keys[static_cast<int>(k)]; }
  const KeyState& key(Key k) const { return keys[static_cast<int>(k)]; }
};

}  // namespace pv
