// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces the "Pressure Test Record" page is drawn with, shared by its parts.
#include <string_view>

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

// Texts cut to their room, which the painter also keeps them in.
inline void PutText(DisplayList& list, int x, int top, std::string_view text, int room,
                    FontRole font = FontRole::kPrintLabel, bool opaque = false) {
  if (text.empty() || room <= 0) return;
  list.text({x, top}, FitText(text, room, font), font, kPrintInk,
            opaque ? std::optional<Brush>(Brush::Solid(kPrintPaper)) : std::nullopt);
  std::get<Text>(list.commands.back()).maxWidth = room;
}

// A text whose right end stands at x.
inline void PutTextEndingAt(DisplayList& list, int x, int top, std::string_view text, int room,
                            bool opaque = false) {
  const std::string fitted = FitText(text, room, FontRole::kPrintLabel);
  const int width = EstimatedTextWidth(fitted, FontRole::kPrintLabel);
  PutText(list, x - width, top, fitted, width, FontRole::kPrintLabel, opaque);
}

struct ChartBox {
  int left, right, bottom, top;
};

// The samples around and in the test's window, its start and end marks, the allowed
// change's band and the minimum as lines, inside the box with the labels left of it and
// under it.
void DrawHoldChart(const HoldPageInput& input, const ChartBox& box, DisplayList& list);

}  // namespace pv::hold_page
