// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/glyph_row_painter.h"

#include <QPainter>
#include <QTransform>
#include <QTextLayout>

namespace pv::ui {
namespace {

// The glyphs and their origins as drawText would lay `text` out in `font`; nothing
// when the shaper needs more than one face for it (a character the font lacks).
std::optional<QGlyphRun> ShapedOnce(const QFont& font, const QString& text) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.size() != 1 || runs.front().glyphIndexes().size() != text.size()) return std::nullopt;
  return runs.front();
}

}  // namespace

GlyphRowPainter::GlyphRowPainter(const QFont& font, std::string_view characters) : layout_(characters) {
  measure(font);
}

void GlyphRowPainter::measure(const QFont& font) {
  const std::string& set = layout_.characters();
  for (char first : set) {
    // The character before each of the set, "a0a1a2...", as the shaper lays it out:
    // the origin of each second glyph is the first's advance with the pair's kerning.
    QString pairs;
    for (char next : set) pairs += QString::fromLatin1(std::string{first, next});
    const auto shaped = ShapedOnce(font, pairs);
    if (!shaped) return;
    if (!raw_.isValid()) raw_ = shaped->rawFont();
    if (shaped->rawFont() != raw_) return;  // a character from a fallback face
    const QList<QPointF> at = shaped->positions();
    const QList<quint32> glyphs = shaped->glyphIndexes();
    glyphOf_[static_cast<unsigned char>(first)] = glyphs[0];
    for (qsizetype k = 0; k < static_cast<qsizetype>(set.size()); ++k)
      layout_.setAdvance(first, set[static_cast<std::size_t>(k)], at[2 * k + 1].x() - at[2 * k].x());
    const QList<QPointF> alone = raw_.advancesForGlyphIndexes(QList<quint32>{glyphs[0]});
    layout_.setAdvance(first, '\0', alone.front().x());
  }
  usable_ = raw_.isValid();
  run_.setRawFont(raw_);
}

std::optional<double> GlyphRowPainter::advance(std::string_view text) const {
  GlyphRowLayout::Origins origins;
  if (!usable_ || !layout_.place(text, origins)) return std::nullopt;
  return origins[text.size()];
}

bool GlyphRowPainter::draw(QPainter& p, QPointF baseline, std::string_view text) const {
  GlyphRowLayout::Origins origins;
  if (!usable_ || !layout_.place(text, origins)) return false;
  // Scaled (a device pixel ratio above 1), Qt places the glyphs of a run and those of
  // drawText a fraction of a pixel apart, which shows in a few edge pixels, and draws
  // the reading's from their outlines (larger than its glyph cache holds), where
  // shaping is a small part of the cost: drawText draws them then.
  if (p.deviceTransform().type() > QTransform::TxTranslate) return false;
  std::array<quint32, GlyphRowLayout::kMaxLength> glyphs;
  std::array<QPointF, GlyphRowLayout::kMaxLength> positions;
  for (std::size_t i = 0; i < text.size(); ++i) {
    glyphs[i] = glyphOf_[static_cast<unsigned char>(text[i])];
    positions[i] = QPointF(origins[i], 0.0);
  }
  run_.setRawData(glyphs.data(), positions.data(), static_cast<int>(text.size()));
  // In opaque mode Qt 6.4 places glyphs drawn from its glyph cache without the
  // painter's redirection, that is without a child widget's offset in its window's
  // backing store: the text lands as far up and left as the widget sits in the window.
  // Transparent, the glyphs land where drawText puts them.
  const Qt::BGMode mode = p.backgroundMode();
  if (mode != Qt::TransparentMode) {
    // drawText's opaque box: the text's advance, its font's ascent and descent.
    p.fillRect(QRectF(baseline.x(), baseline.y() - raw_.ascent(), origins[text.size()],
                      raw_.ascent() + raw_.descent()),
               p.background());
    p.setBackgroundMode(Qt::TransparentMode);
  }
  p.drawGlyphRun(baseline, run_);
  if (mode != Qt::TransparentMode) p.setBackgroundMode(mode);
  // The run must not keep pointers into this frame's arrays.
  run_.setRawData(nullptr, nullptr, 0);
  return true;
}

}  // namespace pv::ui
