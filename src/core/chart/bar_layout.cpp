// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/bar_layout.h"

#include <algorithm>

namespace pv {

BarLayout LayoutBars(int clientWidth, int clientHeight) {
  BarLayout b;
  b.width = std::max(clientWidth, kMinClientWidth);
  b.height = std::max(clientHeight, kMinClientHeight);
  const int L = 0, T = 0, R = b.width, B = b.height;
  // The places of the large window: the statistics bar over the chart, the cursor bar
  // and the scroll strip under it, the panel down the left side.
  b.statistics = {L + 228, T + 30, R - L - 238, 112, true};
  b.cursorBar = {L + 228, B - 120, R - L - 238, 100, T + 142 < B - 120};
  b.panel = {0, 31, 228, B - kPanelBottomMargin, true};
  b.scrollStrip = {L + 228, B - 142, R - L - 238, 25, T + 142 < B - 142};
  b.compactPanel = b.panel.height < kPanelFullHeight;
  return b;
}

}  // namespace pv
