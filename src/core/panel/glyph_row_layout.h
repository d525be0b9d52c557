// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the characters of a short text sit when the text is drawn from a small set of
// glyphs measured once: each character's advance, as the text shaper gives it when
// another character of the set follows (kerning) and at the end of a text. The reading,
// redrawn for every frame the meter sends, is laid out this way instead of being shaped
// anew for every paint.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// The characters a reading is made of.
inline constexpr std::string_view kReadingCharacters = "0123456789.-+ ";

class GlyphRowLayout {
 public:
  // The longest text laid out; a longer one is left to the text shaper.
  static constexpr std::size_t kMaxLength = 16;
  // Origins of a text's characters from the text's start, and after them its advance.
  using Origins = std::array<double, kMaxLength + 1>;

  // Knows `characters` (each once, all ASCII), with no advances yet.
  explicit GlyphRowLayout(std::string_view characters);

  const std::string& characters() const { return characters_; }
  // The advance of `first` when `next` follows it; `next` '\0' is the end of a text.
  void setAdvance(char first, char next, double advance);

  // The index of `c` in the set, or -1.
  int indexOf(char c) const;
  // Lays `text` out into `origins`; false when it is empty, longer than kMaxLength or
  // has a character outside the set.
  bool place(std::string_view text, Origins& origins) const;

  // From the texts' start, the stretch over which `after` is laid out unlike `before`:
  // the places, in either text, of the glyphs that differ in character or origin. A
  // glyph's place runs from its origin to the next glyph's. Empty (both ends 0) when the two are laid out
  // alike; nothing when either cannot be laid out.
  struct Span {
    double left = 0.0, right = 0.0;
  };
  std::optional<Span> changed(std::string_view before, std::string_view after) const;

 private:
  double advanceOf(int first, int next) const { return advances_[first * stride_ + next]; }

  std::string characters_;
  std::size_t stride_;  // one column per character and one for the end of a text
  std::vector<double> advances_;
  std::array<signed char, 128> index_{};
};

}  // namespace pv
