// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts the logger graph draws at fixed places above the plot: the readout, its
// time, the unit names and the file path. The paint draws them all; a mouse move
// writes the readout, time, path and unit over the picture already shown.
#include <string>

#include "app_model.h"
#include "display_list.h"
#include "logger/logger_geometry.h"

namespace pv {

// A text in black on white, drawn smaller when it would overrun its room (0: no
// limit); an empty text draws nothing.
void LoggerLabel(DisplayList& out, Point at, std::string text, int room = 0);
// A rectangle in the window's background; an empty one draws nothing.
void LoggerClear(DisplayList& out, int x, int y, int w, int h);

// The paint's header line: "PRESSURE:" and the readout, the unit field showing
// fieldUnit, "@" and the cursor time, then the bracketed unit at the left showing
// bracketUnit.
void LoggerPaintHeader(const LoggerGraphState& g, const std::string& fieldUnit,
                       const std::string& bracketUnit, DisplayList& out);
// What a mouse move on a record writes: the readout, its time and the path line.
void LoggerReadoutTexts(const LoggerGraphState& g, const ZoomPlot& r, DisplayList& out);
// The unit field beside the readout, cleared first, with its superscript.
void LoggerHeaderUnit(const std::string& unitName, DisplayList& out);
// The logger file path, 20 px above the plot and ending 500 px left of its right edge.
void LoggerPathLine(const LoggerGraphState& g, const ZoomPlot& r, DisplayList& out);

}  // namespace pv
