// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/glyph_row_layout.h"

#include <algorithm>

namespace pv {

GlyphRowLayout::GlyphRowLayout(std::string_view characters)
    : characters_(characters), stride_(characters.size() + 1), advances_(characters.size() * stride_, 0.0) {
  index_.fill(-1);
  for (std::size_t i = 0; i < characters_.size(); ++i) {
    const auto c = static_cast<unsigned char>(characters_[i]);
    if (c < index_.size()) index_[c] = static_cast<signed char>(i);
  }
}

int GlyphRowLayout::indexOf(char c) const {
  const auto u = static_cast<unsigned char>(c);
  return u < index_.size() ? index_[u] : -1;
}

void GlyphRowLayout::setAdvance(char first, char next, double advance) {
  const int i = indexOf(first);
  const int j = next == '\0' ? static_cast<int>(characters_.size()) : indexOf(next);
  if (i < 0 || j < 0) return;
  advances_[static_cast<std::size_t>(i) * stride_ + static_cast<std::size_t>(j)] = advance;
}

bool GlyphRowLayout::place(std::string_view text, Origins& origins) const {
  if (text.empty() || text.size() > kMaxLength) return false;
  const int end = static_cast<int>(characters_.size());
  int current = indexOf(text[0]);
  if (current < 0) return false;
  double x = 0.0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const int next = k + 1 < text.size() ? indexOf(text[k + 1]) : end;
    if (next < 0) return false;
    origins[k] = x;
    x += advanceOf(current, next);
    current = next;
  }
  origins[text.size()] = x;
  return true;
}

std::optional<GlyphRowLayout::Span> GlyphRowLayout::changed(std::string_view before, std::string_view after) const {
  Origins was, is;
  if (!place(before, was) || !place(after, is)) return std::nullopt;
  std::optional<Span> span;
  const auto take = [&span](double left, double right) {
    if (!span) span = Span{left, right};
    span->left = std::min(span->left, left);
    span->right = std::max(span->right, right);
  };
  for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
    const bool inBefore = i < before.size(), inAfter = i < after.size();
    if (inBefore && inAfter && before[i] == after[i] && was[i] == is[i]) continue;
    if (inBefore) take(was[i], was[i + 1]);
    if (inAfter) take(is[i], is[i + 1]);
  }
  return span.value_or(Span{});
}

}  // namespace pv
