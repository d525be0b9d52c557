#pragma once
// The real-time chart's paint: from the sample store and the chart state to three
// off-screen surfaces (plot, left and right label strips) and the time labels drawn
// on the main window, updating the chart state on the way (step, compression,
// labels, zoom tables, cursor readouts).
#include <array>
#include <optional>

#include "app_model.h"
#include "chart/zoom.h"
#include "display_list.h"

namespace pv {

inline constexpr int kLabelStripX = 224;
inline constexpr int kLabelStripWidth = 70;
inline constexpr int kRightStripWidth = 100;
inline constexpr int kStripOverhang = 7;  // strips start this far above the plot

struct ChartFrame {
  // False when the client area is smaller than the margins: the surfaces are then
  // empty and only the state that does not depend on the geometry was updated.
  bool plotDrawn = false;
  Surface plot, leftStrip, rightStrip;  // positions in view client coordinates
  // Drawn on the main window, in its client coordinates as they stand.
  DisplayList mainWindow;
  // A compression happened: invalidate with erasing so that a fresh paint follows.
  bool repaintWithErase = false;
  // Re-arm the sample timer (timer 1) with this period.
  std::optional<int> armSampleTimerMs;
  // The cursor bar's texts or its Clear button changed: transfer them.
  bool cursorBarChanged = false;
  ScrollBarState scrollBar;
};

ChartFrame PaintChart(AppModel& model, int clientW, int clientH);

// The live (level-0) value labels, top to bottom, for the current unit's full scale;
// the printed page takes them from here when the chart has not been painted yet.
std::array<float, kValueLabels> LiveValueLabels(float fullScale);

// The value label's indent class: how many digit widths (7.5 px) it is pushed right
// so that the labels line up by their integer digits.
int ValueLabelIndentClass(float v);

}  // namespace pv
