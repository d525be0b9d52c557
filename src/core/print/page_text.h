// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of a printed page kept inside their room. Core has no font metrics, so widths
// are estimated generously from the characters (Arial's proportions, in page units);
// the painter still shrinks a text that its real font would make wider than its room.
#include <string>
#include <string_view>
#include <vector>

#include "display_list.h"

namespace pv {

// The estimated width of a UTF-8 text in a printed font, in page units.
int EstimatedTextWidth(std::string_view text, FontRole font);

// The text as it is when it fits the room, otherwise cut at a character and ended
// with "...".
std::string FitText(std::string_view text, int room, FontRole font);

// The text broken at blanks (or inside a word too long for a line) into at most
// maxLines lines that fit the room; what does not fit ends the last line with "...".
// Line breaks in the text start new lines.
std::vector<std::string> WrapText(std::string_view text, int room, FontRole font, int maxLines);

}  // namespace pv
