// SPDX-License-Identifier: GPL-3.0-or-later
// What of a reading's line a new reading changes: the places of the glyphs that differ
// in character or origin, in either reading.
#include <gtest/gtest.h>

#include "panel/glyph_row_layout.h"

namespace pv {
namespace {

TEST(GlyphRowLayout, ChangedSpanCoversTheGlyphsThatMoveOrChange) {
  // Digits 10 wide, the point 5; "1" before "." kerned 2 closer, as a font may.
  GlyphRowLayout layout("0123456789.-+ ");
  for (char first : std::string_view("0123456789.-+ ")) {
    const double advance = first == '.' ? 5.0 : 10.0;
    for (char next : std::string_view("0123456789.-+ ")) layout.setAdvance(first, next, advance);
    layout.setAdvance(first, '\0', advance);
  }
  layout.setAdvance('1', '.', 8.0);

  struct Case {
    const char *what, *before, *after;
    std::optional<GlyphRowLayout::Span> span;
  };
  using Span = GlyphRowLayout::Span;
  const Case cases[] = {
      {"the same reading", "+12.34", "+12.34", Span{0, 0}},
      {"the last digit", "+12.34", "+12.35", Span{45, 55}},
      {"a middle digit", "+12.34", "+13.34", Span{20, 30}},
      {"a kerned pair moves what follows", "+12.34", "+11.34", Span{20, 55}},
      {"a longer reading", "+2.5", "+2.50", Span{35, 45}},
      {"a shorter reading", "+2.50", "+2.5", Span{35, 45}},
      {"the sign", "+2.5", "-2.5", Span{0, 10}},
      {"a letter is not laid out", "+2.5", "OL", std::nullopt},
      {"nor is nothing", "", "+2.5", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto span = layout.changed(c.before, c.after);
    ASSERT_EQ(span.has_value(), c.span.has_value());
    if (!span) continue;
    EXPECT_DOUBLE_EQ(span->left, c.span->left);
    EXPECT_DOUBLE_EQ(span->right, c.span->right);
  }
}

}  // namespace
}  // namespace pv
