#pragma once
// The panel's state rows for what the meter reports: shared by reading ingestion, the
// link watchdog and the keys so that each row has one definition. Each sets the mode
// flags, status words and key states of its row; redraws are the caller's.
#include <cstdint>

#include "app_model.h"

namespace pv {

inline constexpr const char* kHoldWord = "HOLD";
inline constexpr const char* kDifWord = "DIF";
inline constexpr const char* kRecWord = "REC";

// Record state 0, neither hold nor relative: the meter's plain measuring mode.
void ApplyPlainRow(AppModel& model);

// Record state 1..4.
void ApplyRecRow(AppModel& model);

// The hold/relative field of the status byte (0x20, 0x02 or 0x22; 0 does nothing).
void ApplyHoldRelativeRow(AppModel& model, std::uint8_t mode);

// A range error is shown: every key but LIGHT is disabled.
void ApplyRangeErrorRow(PanelState& panel);

// The meter stopped answering.
void ApplyLinkLostRow(PanelState& panel);

void SetKey(PanelState& panel, Key key, bool shown, bool enabled);
void EnableKey(PanelState& panel, Key key, bool enabled);

}  // namespace pv
