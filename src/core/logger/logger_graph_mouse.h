// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph's mouse: the cursor and readout that follow it, and the drag that
// selects a zoom step. Each operation returns what the window has to redraw; the
// geometry it reads is the last layout's.
#include "app_model.h"
#include "chart/zoom_engine.h"
#include "display_list.h"

namespace pv {

// Mouse move: the texts drawn straight onto the window (readout, time, path, unit),
// whether the cursor line moved, and the rubber band to show.
struct LoggerMove {
  DisplayList header;
  bool cursorMoved = false;
  RubberBand band;
};

// Left-button press anywhere in the client area; the drag watch starts.
void LoggerLeftPress(AppModel& model, Point p);
LoggerMove LoggerMouseMove(AppModel& model, Point p);
// Left-button release: ends the drag (hide the rubber band) and takes a zoom step.
// kNone asks for no repaint; kRefused repaints (and leaves the full view if zoomed).
ZoomOutcome LoggerLeftRelease(AppModel& model, Point p);
// Tick of the drag watch with the pointer in client coordinates. True when the drag was
// cancelled: repaint, hide the rubber band and stop the timer.
bool LoggerDragWatchTick(AppModel& model, Point pointer);

}  // namespace pv
