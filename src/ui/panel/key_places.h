// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the front panel's keys sit, in its full and its compact height.
#include "panel/keys.h"

namespace pv::ui {

// Where each key sits and how it looks; its caption comes from the key table.
struct KeyPlace {
  Key key;
  int x, y, w, h;    // dialog units
  bool defaultLook;  // drawn as a default button (Enter presses nothing on the panel)
};

inline constexpr KeyPlace kKeyPlaces[kKeyCount] = {
    {Key::Hold, 11, 211, 40, 14, true},   {Key::Unhold, 11, 211, 40, 14, false},
    {Key::Rec, 56, 211, 40, 14, false},   {Key::Unrec, 56, 211, 40, 14, false},
    {Key::Light, 33, 252, 38, 14, false}, {Key::Zero, 33, 286, 38, 14, false},
    {Key::Units, 32, 134, 40, 14, true},  {Key::Dif, 33, 170, 38, 14, false},
    {Key::Undif, 33, 170, 38, 14, false},
};

// The compact panel's row of LIGHT and ZERO, in the columns of HOLD and REC.
inline constexpr KeyPlace kCompactKeyPlaces[] = {
    {Key::Light, 11, 234, 40, 14, false},
    {Key::Zero, 56, 234, 40, 14, false},
};

}  // namespace pv::ui
