// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The panel's modes, one row each in one table: what a mode key does to the panel at
// once and what a mode the meter reports does, shared by the keys, reading ingestion
// and the link watchdog. A row sets the mode flags, the status words and the key
// states; a row may start from another, so that what a mode locks is written once.
// Redraws are the caller's.
#include <cstdint>
#include <vector>

#include "app_model.h"
#include "model_observer.h"

namespace pv {

inline constexpr const char* kHoldWord = "HOLD";
inline constexpr const char* kDifWord = "DIF";
inline constexpr const char* kRecWord = "REC";

// The states a key's acceptance and the keys a row enables depend on, as bits.
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
Conditions ConditionsNow(const AppModel& model);
bool IsOpen(Gate gate, Conditions now);

enum class PanelRow {
  // The panel in a mode: its word, the keys the mode locks, its UN-key in its key's place.
  HoldMode,
  RecMode,
  DifMode,
  // What the meter reports.
  Plain,      // record state 0, neither hold nor relative: plain measuring
  Recording,  // record state 1..4; also the REC key
  Holding,
  Relative,
  HoldingRelative,
  RangeError,  // every key but LIGHT disabled
  LinkLost,    // the words cleared, every key disabled
  // What the other mode keys do at once.
  HoldKey,
  UnholdKey,
  UnrecKey,
  DifKey,
  UndifKey,
};

// Applies the row's flags, then its words and keys. changedWords, when given, receives
// the status words the row set or cleared.
void ApplyPanelRow(AppModel& model, PanelRow row, std::vector<PanelField>* changedWords = nullptr);
// The same in two steps, for keys that change their flags before sending.
void ApplyPanelRowFlags(AppModel& model, PanelRow row);
void ApplyPanelRowDisplay(AppModel& model, PanelRow row, std::vector<PanelField>* changedWords = nullptr);

// The rows ingestion and the watchdog apply.
inline void ApplyPlainRow(AppModel& model) {
  ApplyPanelRow(model, PanelRow::Plain);
}
inline void ApplyRecRow(AppModel& model) {
  ApplyPanelRow(model, PanelRow::Recording);
}
// The hold/relative field of the status byte (0x20, 0x02 or 0x22; 0 does nothing).
void ApplyHoldRelativeRow(AppModel& model, std::uint8_t mode);
void ApplyRangeErrorRow(PanelState& panel);
// Also shows the link-lost reading and a blank unit.
void ApplyLinkLostRow(PanelState& panel);

void SetKey(PanelState& panel, Key key, bool shown, bool enabled);
void EnableKey(PanelState& panel, Key key, bool enabled);

}  // namespace pv
