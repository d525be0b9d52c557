// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text of a small character set drawn from its font's glyphs, shaped once per font:
// the glyph of each character and its advances, kerning included, come from the text
// shaper when the painter is made, so that a paint only looks them up. The pixels are
// those of QPainter::drawText; a text with any other character is not drawn here.
#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <array>
#include <deque>
#include <optional>
#include <string_view>
#include <utility>

#include "panel/glyph_row_layout.h"

class QPainter;

namespace pv::ui {

class GlyphRowPainter {
 public:
  GlyphRowPainter(const QFont& font, std::string_view characters);

  // The text's advance, as drawText would take it; nothing when the text is not drawn
  // from the glyphs.
  std::optional<double> advance(std::string_view text) const;
  // The pixels drawing the text can touch, from the start of its baseline: its glyphs'
  // ink, and that with drawText's opaque box; nothing when it is not drawn from the
  // glyphs.
  struct Bounds {
    QRectF ink;
    QRectF opaque;
  };
  std::optional<Bounds> bounds(std::string_view text) const;
  // Where drawing `after` differs from drawing `before` (see GlyphRowLayout::changed);
  // nothing when either is not drawn from the glyphs.
  std::optional<GlyphRowLayout::Span> changed(std::string_view before, std::string_view after) const;

  // Draws `text` with its baseline starting at `baseline`, in the painter's pen, over
  // what is already there, and in opaque mode over drawText's box in the painter's
  // background, unless that box lies inside `filled`, which the caller has filled with
  // that background. Only the glyphs that reach into `reach` are drawn (all when it
  // is null): the caller's painter is clipped to it. False, drawing nothing, for a text
  // outside the set (or a font that lacks one of its glyphs).
  bool draw(QPainter& p, QPointF baseline, std::string_view text, const QRect& filled = QRect(),
            const QRect& reach = QRect()) const;
  // Draws what `text` shows of `area` straight into the pixels of `image`, where the
  // caller's point (0, 0) lies at `offset`: `ground` wherever no glyph's ink falls, and
  // each glyph reaching into the area copied from its tile in `pen` over `ground`, as
  // draw() gives over a fill of `ground`. False, changing nothing, unless the image is
  // a 32-bit one at a pixel ratio of 1 holding the whole area, and every glyph there
  // has a tile whose ink shares no pixel of the area with another glyph's.
  bool copy(QImage& image, QPoint offset, QPointF baseline, std::string_view text, const QRect& area,
            QRgb pen, QRgb ground) const;

 private:
  // A glyph as drawn at one fraction of a pixel past a pixel's left edge, in one pen
  // over one background: the pixels it changes (its ink) over the background, ready
  // to be copied rather than blended again.
  struct Tile {
    double fraction;
    QRgb pen, background;
    QImage::Format format;  // of the surface drawn on, whose glyphs Qt renders to suit it
    QImage image;  // the ink's bounding rectangle; empty for a glyph without ink
    QPoint offset;  // of the image's top-left corner from the glyph's pixel and baseline
  };

  void measure(const QFont& font);
  const Tile* tile(char character, double fraction, QRgb pen, QRgb background, QImage::Format format) const;
  // Copies the glyphs that lie whole inside the opaque box and touch no other glyph
  // from their tiles; false for those that must still be blended.
  void copyTiles(QPainter& p, QPointF baseline, std::string_view text, const double* origins, const QRectF& box,
                 const bool* needed, bool* copied) const;

  GlyphRowLayout layout_;
  QRawFont raw_;
  std::array<quint32, 128> glyphOf_{};
  // The pixels each character's glyph can touch, from its origin on the baseline.
  std::array<QRectF, 128> inkOf_{};
  bool usable_ = false;
  mutable QGlyphRun run_;  // reused, so that a paint allocates nothing
  // By character; each grows only, so that a tile stays where it is.
  mutable std::array<std::deque<Tile>, 128> tilesOf_;
  mutable std::size_t tileCount_ = 0;
};

}  // namespace pv::ui
