// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The printed "Pressure Graph" page as a display list in page units of 0.01 inch:
// y grows upward and the origin is the bottom-right corner of the printable area, so
// everything on the page lies at negative x and positive y. A painter maps these
// units onto a printer; the page's geometry is decided here.
#include <array>
#include <ctime>
#include <string>

#include "app_model.h"
#include "display_list.h"

namespace pv {

enum class PrintPageKind {
  kFixedOnly,  // neither a run nor a loaded logger file to print: rule, title, frame and grid
  kRealTime,   // the real-time run (the logger window is closed)
  kLogger,     // the loaded data-logger file (the logger window is open)
};

struct PrintPage {
  PrintPageKind kind = PrintPageKind::kFixedOnly;
  DisplayList list;
};

inline constexpr Rgb kPrintInk{0, 0, 0};
inline constexpr Rgb kPrintPaper{255, 255, 255};
inline constexpr Rgb kPrintGridColour{127, 127, 127};
inline constexpr Pen kPrintRulePen{kPrintInk, 4, PenStyle::kSolid};   // pen A
inline constexpr Pen kPrintFramePen{kPrintInk, 2, PenStyle::kSolid};  // pen B, also the trace
inline constexpr Pen kPrintGridPen{kPrintGridColour, 1, PenStyle::kDotted};

// The plot frame in page units; y = 600 is the zero line.
inline constexpr int kPrintFrameLeft = -750;
inline constexpr int kPrintFrameRight = -10;
inline constexpr int kPrintFrameBottom = 200;
inline constexpr int kPrintFrameTop = 1000;

// Which page the model prints: the logger file while the logger window is open and a
// file of at least two records is loaded, the real-time run while the window is
// closed and the run holds a sample, otherwise the fixed parts only.
PrintPageKind ChoosePrintPage(const AppModel& model);

// The page as of `now` (the date of printing, in local time).
PrintPage BuildPrintPage(const AppModel& model, std::time_t now);

}  // namespace pv
