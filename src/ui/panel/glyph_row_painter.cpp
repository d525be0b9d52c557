// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panel/glyph_row_painter.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cmath>

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

// Tiles kept per painter: each character at each fraction of a pixel where a reading
// puts it, in each pen and background; a few dozen in practice.
constexpr std::size_t kMaxTiles = 512;

// The smallest rectangle holding every pixel of `image` other than `ground`.
QRect ChangedPixels(const QImage& image, QRgb ground) {
  QRect changed;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (line[x] != ground) changed |= QRect(x, y, 1, 1);
  }
  return changed;
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
    // The outline's extent, and a pixel each side for its edge's blending.
    const QRectF outline = raw_.boundingRect(glyphs[0]);
    inkOf_[static_cast<unsigned char>(first)] = outline.adjusted(-2.0, -2.0, 2.0, 2.0);
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

std::optional<GlyphRowPainter::Bounds> GlyphRowPainter::bounds(std::string_view text) const {
  GlyphRowLayout::Origins origins;
  if (!usable_ || !layout_.place(text, origins)) return std::nullopt;
  Bounds bounds;
  for (std::size_t i = 0; i < text.size(); ++i)
    bounds.ink |= inkOf_[static_cast<unsigned char>(text[i])].translated(origins[i], 0.0);
  bounds.opaque = bounds.ink | QRectF(0.0, -raw_.ascent(), origins[text.size()], raw_.ascent() + raw_.descent());
  return bounds;
}

std::optional<GlyphRowLayout::Span> GlyphRowPainter::changed(std::string_view before, std::string_view after) const {
  if (!usable_) return std::nullopt;
  return layout_.changed(before, after);
}

bool GlyphRowPainter::draw(QPainter& p, QPointF baseline, std::string_view text, const QRect& filled,
                           const QRect& reach) const {
  GlyphRowLayout::Origins origins;
  if (!usable_ || !layout_.place(text, origins)) return false;
  // Scaled (a device pixel ratio above 1), Qt places the glyphs of a run and those of
  // drawText a fraction of a pixel apart, which shows in a few edge pixels, and draws
  // the reading's from their outlines (larger than its glyph cache holds), where
  // shaping is a small part of the cost: drawText draws them then.
  if (p.deviceTransform().type() > QTransform::TxTranslate) return false;
  std::array<bool, GlyphRowLayout::kMaxLength> copied{}, needed{};
  for (std::size_t i = 0; i < text.size(); ++i) {
    const QRectF& ink = inkOf_[static_cast<unsigned char>(text[i])];
    const double x = baseline.x() + origins[i];
    needed[i] = reach.isNull() || (x + ink.right() >= reach.left() && x + ink.left() <= reach.right() + 1);
  }
  // In opaque mode Qt 6.4 places glyphs drawn from its glyph cache without the
  // painter's redirection, that is without a child widget's offset in its window's
  // backing store: the text lands as far up and left as the widget sits in the window.
  // Transparent, the glyphs land where drawText puts them.
  const Qt::BGMode mode = p.backgroundMode();
  if (mode != Qt::TransparentMode) {
    // drawText's opaque box: the text's advance, its font's ascent and descent.
    const QRectF box(baseline.x(), baseline.y() - raw_.ascent(), origins[text.size()], raw_.ascent() + raw_.descent());
    if (!QRectF(filled).contains(box)) p.fillRect(box, p.background());
    copyTiles(p, baseline, text, origins.data(), box, needed.data(), copied.data());
    p.setBackgroundMode(Qt::TransparentMode);
  }
  std::array<quint32, GlyphRowLayout::kMaxLength> glyphs;
  std::array<QPointF, GlyphRowLayout::kMaxLength> positions;
  int blended = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (copied[i] || !needed[i]) continue;
    glyphs[blended] = glyphOf_[static_cast<unsigned char>(text[i])];
    positions[blended++] = QPointF(origins[i], 0.0);
  }
  if (blended > 0) {
    run_.setRawData(glyphs.data(), positions.data(), blended);
    p.drawGlyphRun(baseline, run_);
    // The run must not keep pointers into this frame's arrays.
    run_.setRawData(nullptr, nullptr, 0);
  }
  if (mode != Qt::TransparentMode) p.setBackgroundMode(mode);
  return true;
}

// Blending a large glyph's edge over the background costs several instructions a
// pixel, every paint. Over the opaque box a glyph's pixels are known beforehand: the
// background's, blended once with its ink. Where no other glyph's ink falls, copying
// them gives what the blend would.
void GlyphRowPainter::copyTiles(QPainter& p, QPointF baseline, std::string_view text, const double* origins,
                                const QRectF& box, const bool* needed, bool* copied) const {
  const QPaintEngine* engine = p.paintEngine();
  const QPaintDevice* surface = engine ? engine->paintDevice() : nullptr;
  if (!surface || surface->devType() != QInternal::Image) return;
  // Tiles are read and compared as 32-bit pixels.
  const QImage::Format format = static_cast<const QImage*>(surface)->format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) return;
  const QPen& pen = p.pen();
  if (pen.style() != Qt::SolidLine || pen.brush().style() != Qt::SolidPattern || p.opacity() != 1.0 ||
      p.compositionMode() != QPainter::CompositionMode_SourceOver || p.background().style() != Qt::SolidPattern)
    return;
  const QRgb ink = pen.color().rgba(), ground = p.background().color().rgba();
  if (qAlpha(ink) != 255 || qAlpha(ground) != 255) return;
  // Copies land on whole pixels.
  const double dx = p.deviceTransform().dx(), dy = p.deviceTransform().dy();
  const double baselineY = dy + baseline.y();
  if (dx != std::floor(dx) || baselineY != std::floor(baselineY)) return;
  // The pixels the box fills whichever way its fractional edges round.
  const QRectF onDevice = box.translated(dx, dy);
  const QRect filled(QPoint(static_cast<int>(std::ceil(onDevice.left())), static_cast<int>(std::ceil(onDevice.top()))),
                     QPoint(static_cast<int>(std::floor(onDevice.right())) - 1,
                            static_cast<int>(std::floor(onDevice.bottom())) - 1));

  std::array<const Tile*, GlyphRowLayout::kMaxLength> tiles{};
  std::array<QRect, GlyphRowLayout::kMaxLength> at;
  // A glyph that is not needed lies outside the painter's clip, and so does any pixel
  // it shares with another.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!needed[i]) continue;
    const double x = dx + baseline.x() + origins[i];
    const double pixel = std::floor(x);
    tiles[i] = tile(text[i], x - pixel, ink, ground, format);
    // A glyph without a tile may touch any other: all are blended then.
    if (!tiles[i]) return;
    if (!tiles[i]->image.isNull())
      at[i] = QRect(QPoint(static_cast<int>(pixel), static_cast<int>(baselineY)) + tiles[i]->offset,
                    tiles[i]->image.size());
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!needed[i]) continue;
    bool alone = at[i].isNull() || filled.contains(at[i]);
    for (std::size_t j = 0; alone && j < text.size(); ++j) alone = j == i || !at[i].intersects(at[j]);
    copied[i] = alone;
    if (alone && !at[i].isNull()) p.drawImage(QPointF(at[i].x() - dx, at[i].y() - dy), tiles[i]->image);
  }
}

bool GlyphRowPainter::copy(QImage& image, QPoint offset, QPointF baseline, std::string_view text,
                           const QRect& area, QRgb pen, QRgb ground) const {
  GlyphRowLayout::Origins origins;
  if (!usable_ || !layout_.place(text, origins)) return false;
  const QImage::Format format = image.format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) ||
      image.devicePixelRatio() != 1.0 || qAlpha(pen) != 255 || qAlpha(ground) != 255)
    return false;
  const QRect onImage = area.translated(offset);
  if (onImage.isEmpty() || !image.rect().contains(onImage)) return false;
  const double baselineY = offset.y() + baseline.y();
  if (baselineY != std::floor(baselineY)) return false;

  // Every tile, where it lies and what of it lands in the area, before a pixel changes.
  std::array<const QImage*, GlyphRowLayout::kMaxLength> tiles{};
  std::array<QPoint, GlyphRowLayout::kMaxLength> corner;
  std::array<QRect, GlyphRowLayout::kMaxLength> at;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const QRectF& ink = inkOf_[static_cast<unsigned char>(text[i])];
    const double x = offset.x() + baseline.x() + origins[i];
    if (x + ink.right() < onImage.left() || x + ink.left() > onImage.right() + 1) continue;
    const double pixel = std::floor(x);
    const Tile* t = tile(text[i], x - pixel, pen, ground, format);
    if (!t) return false;
    if (t->image.isNull()) continue;
    tiles[i] = &t->image;
    corner[i] = QPoint(static_cast<int>(pixel), static_cast<int>(baselineY)) + t->offset;
    at[i] = QRect(corner[i], t->image.size()) & onImage;
  }
  for (std::size_t i = 0; i < text.size(); ++i)
    for (std::size_t j = i + 1; j < text.size(); ++j)
      if (at[i].intersects(at[j])) return false;

  uchar* const bits = image.bits();
  const auto line = [bits, stride = image.bytesPerLine()](int y) {
    return reinterpret_cast<QRgb*>(bits + y * stride);
  };
  for (int y = onImage.top(); y <= onImage.bottom(); ++y)
    std::fill_n(line(y) + onImage.left(), onImage.width(), ground);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const QRect& r = at[i];
    if (!tiles[i] || r.isEmpty()) continue;
    const QPoint from = r.topLeft() - corner[i];
    for (int y = 0; y < r.height(); ++y)
      std::copy_n(reinterpret_cast<const QRgb*>(tiles[i]->constScanLine(from.y() + y)) + from.x(), r.width(),
                  line(r.top() + y) + r.left());
  }
  return true;
}

const GlyphRowPainter::Tile* GlyphRowPainter::tile(char character, double fraction, QRgb pen, QRgb background,
                                                    QImage::Format format) const {
  std::deque<Tile>& ofCharacter = tilesOf_[static_cast<unsigned char>(character) & 127];
  for (const Tile& t : ofCharacter)
    if (t.fraction == fraction && t.pen == pen && t.background == background && t.format == format) return &t;
  if (tileCount_ >= kMaxTiles) return nullptr;
  const quint32 glyph = glyphOf_[static_cast<unsigned char>(character)];
  // Room around the outline for the edge's blending: the glyph's pixel and baseline at
  // `area`'s origin.
  const QRect area = raw_.boundingRect(glyph).toAlignedRect().adjusted(-4, -4, 4, 4);
  const auto drawn = [&](QRgb ink, QRgb ground) {
    QImage image(area.size(), format);
    image.fill(ground);
    QPainter q(&image);
    q.setPen(QColor::fromRgba(ink));
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF(0.0, 0.0)});
    q.drawGlyphRun(QPointF(fraction - area.left(), -area.top()), run);
    q.end();
    return image;
  };
  // White on black, every pixel the glyph's edge touches changes.
  const QRect ink = ChangedPixels(drawn(qRgb(255, 255, 255), qRgb(0, 0, 0)), qRgb(0, 0, 0));
  Tile t{fraction, pen, background, format, QImage(), QPoint()};
  if (!ink.isNull()) {
    t.image = drawn(pen, background).copy(ink);
    t.offset = area.topLeft() + ink.topLeft();
  }
  ++tileCount_;
  ofCharacter.push_back(std::move(t));
  return &ofCharacter.back();
}

}  // namespace pv::ui
