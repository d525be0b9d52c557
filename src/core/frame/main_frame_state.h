#pragma once
// The main window's flags: the meter's modes as last reported, the acquisition's
// state, the port in use and the watchdog's and port menu's flag sets.
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

struct MainFrameState {
  bool m_bRunning = false;
  bool m_bRunRequested = false;
  bool m_bStopped = true;
  bool m_bRecording = false;
  bool m_bHold = false;
  bool m_bRelative = false;
  int m_nHoldError = 0;
  float m_fRelativeRef = 0.0f;
  int m_nComPort = 1;
  bool m_bGraphHasData = false;
  std::array<bool, kMenuPorts> m_bComChecked{};
  std::array<bool, kPortMenuItems> m_bPortMenuEnabled{true, true, true, true, true};
  AwaitingFlags m_bAwaiting;

  // Initial state after the configuration gave the port number.
  void initialise(int comPort);
};

}  // namespace pv
