// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger graph's drawing: the display list of the client area, the cursor line and
// the scroll bar, all read from the state the layout left. Nothing here changes it.
#include <optional>

#include "app_model.h"
#include "display_list.h"

namespace pv {

inline constexpr Rgb kLoggerCursorColour{150, 50, 50};

// The scroll bar under the plot: range 0..M, the thumb at the record
// shown at the left edge; enabled only while a zoom level is shown.
struct LoggerScrollBar {
  bool enabled = false;
  int minimum = 0, maximum = 0, position = 0;
  friend bool operator==(const LoggerScrollBar&, const LoggerScrollBar&) = default;
};

// The dotted cursor line, drawn over the picture with a not-XOR raster operation.
struct LoggerCursorLine {
  int x = 0, top = 0, bottom = 0;
  Pen pen{kLoggerCursorColour, 1, PenStyle::kDotted};
};

struct LoggerGraphFrame {
  Surface surface;  // the whole client area
  std::optional<LoggerCursorLine> cursor;
  LoggerScrollBar scrollBar;
};

// The full view or the zoom level shown, as the last LayoutLoggerGraph for this client
// size placed it: plot, grid, trace, labels, header and path line.
LoggerGraphFrame DrawLoggerGraph(const AppModel& model, int clientW, int clientH);

// The cursor line as the window must show it now, if any.
std::optional<LoggerCursorLine> LoggerCursor(const AppModel& model);
LoggerScrollBar LoggerScrollBarState(const AppModel& model);

}  // namespace pv
