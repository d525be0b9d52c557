#include "ui/common/plain_text.h"

#include <QGlyphRun>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <algorithm>

namespace pv::ui {

PlainTextPainter::PlainTextPainter(const QFont& font) : font_(font), raw_(QRawFont::fromFont(font)) {}

void PlainTextPainter::draw(QPainter& p, QPointF baseline, const QString& text) const {
  if (text.isEmpty()) return;
  const bool plain = std::all_of(text.begin(), text.end(),
                                 [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
  const QList<quint32> glyphs = plain && raw_.isValid() ? raw_.glyphIndexesForString(text) : QList<quint32>();
  if (glyphs.size() != text.size() || glyphs.contains(0u)) {
    p.setFont(font_);
    p.drawText(baseline, text);
    return;
  }
  const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
  QList<QPointF> positions;
  positions.reserve(advances.size());
  QPointF at;
  for (const QPointF& advance : advances) {
    positions.append(at);
    at += advance;
  }
  // drawText fills the text's line box with the background first in opaque mode.
  if (p.backgroundMode() == Qt::OpaqueMode)
    p.fillRect(QRectF(baseline.x(), baseline.y() - raw_.ascent(), at.x(), raw_.ascent() + raw_.descent()),
               p.background());
  QGlyphRun run;
  run.setRawFont(raw_);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  p.drawGlyphRun(baseline, run);
}

}  // namespace pv::ui
