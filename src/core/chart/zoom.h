// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Zooming the real-time chart with a left-button rubber band, the drag watch that
// cancels a drag leaving the plot, Undo zoom, panning with the scroll bar, and the
// zoomed display the chart shows while zoomed.
#include "app_model.h"
#include "chart/chart_geometry.h"
#include "chart/zoom_engine.h"
#include "display_list.h"
#include "model_observer.h"

namespace pv {

// The horizontal scroll bar under a zoomed chart.
struct ScrollBarState {
  bool enabled = false;
  int minimum = 0, maximum = 0, position = 0;
  friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// The level the chart shows: pixels per sample, x of sample 0 and the pan offset.
struct ShownLevel {
  int depth = 0;
  float dx = 0.0f;
  float x0 = 0.0f;
  int offset = 0;
  // Position tables not yet written (no paint) or degenerate: nothing can be placed.
  bool usable() const { return std::isfinite(dx) && dx > 0.0f && std::isfinite(x0); }
};
ShownLevel CurrentLevel(const AppModel& model);

// Left-button press at a view client point. Returns whether the drag watch must be
// armed (every kDragWatchPeriodMs).
bool LeftPress(AppModel& model, Point p, int clientW, int clientH);

// Pointer move: the rubber band to show now (hidden when there is no drag or the
// pointer is back on the press point).
RubberBand MouseMove(AppModel& model, Point p, int clientW, int clientH);

// Left-button release: ends the drag (hide the rubber band) and zooms when it moved.
ZoomOutcome LeftRelease(AppModel& model, Point p, int clientW, int clientH, ModelObserver& observer);

// Tick of the drag watch with the pointer position. Returns true when the drag was
// cancelled: hide the rubber band and stop the drag watch.
bool DragWatchTick(AppModel& model, Point pointer, int clientW, int clientH, ModelObserver& observer);

// Back to the live display from any depth.
void UndoZoom(AppModel& model, ModelObserver& observer);

// The scroll bar's thumb at position thumb, however it got there (dragged, an arrow or
// a page click, the wheel): pans the zoomed trace so that the sample at the thumb's
// position comes to the left edge.
void ScrollTo(AppModel& model, int thumb, ModelObserver& observer);

ScrollBarState ChartScrollBarState(const AppModel& model);

// One page of the scroll bar: the whole samples across a plot plotWidth pixels wide at
// the shown level (at least 1).
int ChartScrollPage(const AppModel& model, int plotWidth);

// The chart's layout step while zoomed: the position tables of every level down to the
// shown one, the sample at the left edge and the ten grid samples with their times.
void LayoutZoomedDisplay(AppModel& model, const PlotRect& plot);

// Draw hooks of the chart while zoomed: the grid and trace on the plot surface, and
// the time labels on the main window, as the layout left them.
void DrawZoomedDisplay(const AppModel& model, const PlotRect& plot, DisplayList& surface);
void DrawZoomedTimeLabels(const AppModel& model, const PlotRect& plot, DisplayList& mainWindow);

}  // namespace pv
