// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real-time chart's paint in two steps: the layout updates the chart state
// (step, compression, zoom tables, labels, cursor readouts), then the draw turns that
// state into three off-screen surfaces (plot, left and right label strips) and the
// time labels drawn on the main window.
#include <array>

#include "app_model.h"
#include "chart/zoom.h"
#include "display_list.h"

namespace pv {

inline constexpr int kLabelStripX = 224;
inline constexpr int kLabelStripWidth = 70;
inline constexpr int kRightStripWidth = 100;
inline constexpr int kStripOverhang = 7;  // strips start this far above the plot

// What the caller of the layout has to do besides drawing.
struct ChartLayoutResult {
  // A compression happened: invalidate with erasing so that a fresh paint follows.
  bool repaintWithErase = false;
  // The cursor bar's texts or its Clear button changed: transfer them.
  bool cursorBarChanged = false;
};

struct ChartFrame {
  // False when the client area is smaller than the margins: the surfaces are then
  // empty (the layout updated only the state that does not depend on the geometry).
  bool plotDrawn = false;
  Surface plot, leftStrip, rightStrip;  // positions in view client coordinates
  // Drawn on the main window, in its client coordinates as they stand.
  DisplayList mainWindow;
};

// Everything a paint changes in the model, done at the moment of the paint, just
// before drawing: the step and compression of the live window, the level-0 and zoom
// tables, the value and time labels (which printing reads too) and the cursor bar's
// readouts.
ChartLayoutResult LayoutChart(AppModel& model, int clientW, int clientH);

// The display lists of the chart as the last layout left it, for the same client size.
ChartFrame DrawChart(const AppModel& model, int clientW, int clientH);

// The live (level-0) value labels, top to bottom, for the current unit's full scale;
// the printed page takes them from here when the chart has not been painted yet.
std::array<float, kValueLabels> LiveValueLabels(float fullScale);

// The value label's indent class: how many digit widths (7.5 px) it is pushed right
// so that the labels line up by their integer digits.
int ValueLabelIndentClass(float v);

}  // namespace pv
