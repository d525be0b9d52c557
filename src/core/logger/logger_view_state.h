// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the logger graph publishes to the rest of the program: the labels and path
// the printed page repeats, and whether the logger window is open.
#include <array>
#include <string>

namespace pv {

struct LoggerViewState {
  // Range top, top x 0.5, top x -0.5 and range bottom, each FormatSigned6 cut to six
  // characters; written by every full-view paint while a file is loaded.
  std::array<std::string, 4> printValueLabels;
  // The logger file path as last drawn by the cursor readout.
  std::string shownPath;
  // While the logger window is closed printing prints the real-time run.
  bool graphClosed = true;
};

}  // namespace pv
