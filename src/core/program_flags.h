// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's flags: the meter's modes as last reported, the port in use and
// the watchdog's and port menu's flag sets.
#include <array>

namespace pv {

inline constexpr int kMenuPorts = 4;      // COM1..COM4 in the menu
inline constexpr int kPortMenuItems = 5;  // COM1..COM4 and Other COM
inline constexpr int kPortNumbers = 20;   // per-number watchdog flags
inline constexpr int kOtherComMin = 5;
inline constexpr int kOtherComMax = 16;

// The watchdog's "nothing decoded since the last check" flags.
struct AwaitingFlags {
  std::array<bool, kMenuPorts> menu{};     // COM1..COM4
  std::array<bool, kPortNumbers> number{};  // by port number
};

struct ProgramFlags {
  bool recording = false;
  bool hold = false;
  bool relative = false;
  int holdError = 0;
  float relativeRef = 0.0f;
  int portNumber = 1;
  std::array<bool, kMenuPorts> portChecked{};
  std::array<bool, kPortMenuItems> portMenuEnabled{true, true, true, true, true};
  AwaitingFlags awaiting;

  // Initial state after the configuration gave the port number.
  void initialise(int comPort);
};

}  // namespace pv
