// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces the "Pressure Test Record" pages are drawn with, shared by their parts.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "display_list.h"
#include "holdtest/hold_page.h"
#include "print/page_text.h"
#include "print/print_page.h"

namespace pv::hold_page {

inline constexpr Pen kFillInPen{kPrintGridColour, 1, PenStyle::kSolid};
inline constexpr Pen kTracePen{kPrintInk, 1, PenStyle::kSolid};
inline constexpr Pen kBandPen{kPrintInk, 2, PenStyle::kDotted};
inline constexpr Pen kMinimumPen{kPrintGridColour, 3, PenStyle::kSolid};
inline constexpr Pen kMarkPen{kPrintGridColour, 1, PenStyle::kDotted};
inline constexpr int kLabelHeight = 10;
inline constexpr int kLinePitch = 13;  // of wrapped lines in the label font

// Texts cut to their room, which the painter also keeps them in. Typed texts come here
// wrapped to their room and shown (ShownText), so that only the program's own texts
// could ever be cut.
inline void PutText(DisplayList& list, int x, int top, std::string_view text, int room,
                    FontRole font = FontRole::kPrintLabel, bool opaque = false, Rgb colour = kPrintInk) {
  if (text.empty() || room <= 0) return;
  // A line of print holds no line breaks or other control characters.
  std::string line(text);
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  list.text({x, top}, FitText(line, room, font), font, colour,
            opaque ? std::optional<Brush>(Brush::Solid(kPrintPaper)) : std::nullopt);
  std::get<Text>(list.commands.back()).maxWidth = room;
}

// A text whose right end stands at x.
inline void PutTextEndingAt(DisplayList& list, int x, int top, std::string_view text, int room,
                            bool opaque = false, Rgb colour = kPrintInk) {
  const std::string fitted = FitText(text, room, FontRole::kPrintLabel);
  const int width = EstimatedTextWidth(fitted, FontRole::kPrintLabel);
  PutText(list, x - width, top, fitted, width, FontRole::kPrintLabel, opaque, colour);
}

// A typed text as shown on the page, in lines that fit the room: nothing cut, control
// and direction-changing characters shown as escapes; line breaks stay line breaks only
// where asked (the notes).
std::vector<std::string> ShownLines(std::string_view typed, int room, bool keepLineBreaks = false);

// A part of the pages that goes down them: rows drawn each at its top. A block kept
// together starts a new page when the rest of the page cannot hold it and a page can;
// any other block breaks between its rows.
struct Row {
  int height = 0;
  std::function<void(DisplayList&, int top)> draw;
};

struct Block {
  std::vector<Row> rows;
  bool keepTogether = false;
  int gapBefore = 0;  // not at a page's top
};

struct ChartBox {
  int left, right, bottom, top;
};

// The chart's room above and under its box, for its labels and marks.
inline constexpr int kChartRoomAbove = 28;
inline constexpr int kChartRoomBelow = 16;

// The samples around and in the test's window, its start and end marks, the allowed
// change's band and the minimum as lines, inside the box with the labels left of it,
// above it and under it.
void DrawHoldChart(const HoldPageInput& input, const ChartBox& box, DisplayList& list);

}  // namespace pv::hold_page
