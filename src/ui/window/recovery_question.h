// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The question put at start for each run that a crash, a kill or a power cut left
// unsaved: Recover, Discard or Later.
#include <QString>

#include "files/run_recovery.h"

class QWidget;

namespace pv::ui {

inline constexpr const char* kRecoverButton = "Recover";
inline constexpr const char* kDiscardButton = "Discard";
inline constexpr const char* kLaterButton = "Later";

// Escape and the box's close button answer Later: nothing is lost.
RecoveryAnswer AskRecoveryQuestion(const QString& question, QWidget* parent);

}  // namespace pv::ui
