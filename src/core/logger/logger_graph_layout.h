// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph's layout: what its paint computes before anything is drawn, for
// the drawing, the mouse and the printed page to read.
#include "app_model.h"

namespace pv {

// Places the plot rectangle in the client area, then, while it has an area: the
// level-0 positions and sample step; in a zoom level the position tables of every
// level (their selections put in order), the first visible record once per zoom step,
// the grid marks and the level range; in the full view with a file loaded the full
// range and the labels published for printing; with a file loaded, the unit name
// taken from the last record (keeping the one it replaces for the unit field).
// The window calls it just before every drawing of the graph.
void LayoutLoggerGraph(AppModel& model, int clientW, int clientH);

}  // namespace pv
