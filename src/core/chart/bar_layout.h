// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the bars around the chart stand in the main window's client area (origin at
// the top-left corner under the menu bar; a 30-pixel toolbar strip at the top and the
// status bar are part of it), and the smallest client area that shows every control.
// From there up the bars keep their places and sizes and the chart takes what is left;
// a window smaller than that lays out the smallest area and scrolls over it.

namespace pv {

struct BarPlace {
  int x = 0, y = 0, width = 0, height = 0;
  bool shown = false;
};

struct BarLayout {
  int width = 0, height = 0;  // the client area laid out: the window's, or the smallest
  BarPlace statistics, cursorBar, panel, scrollStrip;
  // The front panel with LIGHT and ZERO side by side under HOLD and REC, when its
  // full height does not fit under the toolbar.
  bool compactPanel = false;
};

// The front panel within its sunken edge: 318 dialog units high, or 261 with LIGHT
// and ZERO on one row; the edge adds two pixels on each side.
inline constexpr int kPanelFullHeight = 318 * 2 + 4;
inline constexpr int kPanelCompactHeight = 261 * 2 + 4;
// Room the panel leaves at the bottom of the client area (its top is at 31).
inline constexpr int kPanelBottomMargin = 50;
// The cursor bar's fields reach 734 pixels, and the bars right of the panel are the
// client width less 238.
inline constexpr int kMinClientWidth = 238 + 734;
inline constexpr int kMinClientHeight = kPanelBottomMargin + kPanelCompactHeight;

BarLayout LayoutBars(int clientWidth, int clientHeight);

}  // namespace pv
