// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text of a small character set drawn from its font's glyphs, shaped once per font:
// the glyph of each character and its advances, kerning included, come from the text
// shaper when the painter is made, so that a paint only looks them up. The pixels are
// those of QPainter::drawText; a text with any other character is not drawn here.
#include <QFont>
#include <QGlyphRun>
#include <QPointF>
#include <QRawFont>
#include <array>
#include <optional>
#include <string_view>

#include "panel/glyph_row_layout.h"

class QPainter;

namespace pv::ui {

class GlyphRowPainter {
 public:
  GlyphRowPainter(const QFont& font, std::string_view characters);

  // The text's advance, as drawText would take it; nothing when the text is not drawn
  // from the glyphs.
  std::optional<double> advance(std::string_view text) const;

  // Draws `text` with its baseline starting at `baseline`, in the painter's pen, over
  // what is already there: the caller has filled the background. False, drawing
  // nothing, for a text outside the set (or a font that lacks one of its glyphs).
  bool draw(QPainter& p, QPointF baseline, std::string_view text) const;

 private:
  void measure(const QFont& font);

  GlyphRowLayout layout_;
  QRawFont raw_;
  std::array<quint32, 128> glyphOf_{};
  bool usable_ = false;
  mutable QGlyphRun run_;  // reused, so that a paint allocates nothing
};

}  // namespace pv::ui
