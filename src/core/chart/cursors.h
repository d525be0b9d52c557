// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measuring cursors A and B placed by right clicks on the real-time chart, and the
// cursor bar's readouts: value and time at each cursor, and maximum, minimum and
// average between them in the unit of the latest reading.
#include "app_model.h"
#include "chart/chart_geometry.h"
#include "display_list.h"
#include "model_observer.h"

namespace pv {

inline constexpr Rgb kCursorAColour{255, 255, 0};
inline constexpr Rgb kCursorBColour{0, 255, 255};

// Right-button release at client x: places A or B on the nearest sample of the shown
// level. Returns whether a cursor was placed.
bool RightRelease(AppModel& model, int x, int clientW, int clientH, ModelObserver& observer);

// The cursor bar's Clear button. Refused (returns false) between placing A and B.
bool ClearCursors(AppModel& model, ModelObserver& observer);

// The chart's layout step for the cursors: the cursor bar's texts and its Clear button.
// Returns whether they changed.
bool LayoutCursors(AppModel& model);

// The cursors' lines on the plot surface.
void DrawCursors(const AppModel& model, const PlotRect& plot, DisplayList& surface);

}  // namespace pv
