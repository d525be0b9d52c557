// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph's view commands: zoom out, scroll and reset. The caller repaints.
#include "app_model.h"

namespace pv {

// Back to the full view from any depth.
void LoggerZoomOut(AppModel& model);
// Thumb tracking of the scroll bar; returns whether to repaint.
bool LoggerScrollTo(AppModel& model, int thumb);
// The view a Download and the window's closing start from: full view, no shift,
// cursor hidden.
void LoggerResetView(AppModel& model);

}  // namespace pv
