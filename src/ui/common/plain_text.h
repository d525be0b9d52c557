#pragma once
// Text drawn from its font's glyphs and advances alone. QPainter::drawText shapes every
// string anew, which is most of the cost of the panel's reading, redrawn for every frame
// the meter sends. A string of printable ASCII needs no shaping beyond its glyphs and
// their kerned advances, so it is drawn from those; the pixels are the ones drawText
// gives. Any other string, or a character the font lacks, goes to drawText.
#include <QFont>
#include <QPointF>
#include <QRawFont>
#include <QString>

class QPainter;

namespace pv::ui {

class PlainTextPainter {
 public:
  explicit PlainTextPainter(const QFont& font);

  // As QPainter::drawText(baseline, text) with this font and the painter's pen and
  // background mode.
  void draw(QPainter& p, QPointF baseline, const QString& text) const;

 private:
  QFont font_;
  QRawFont raw_;
};

}  // namespace pv::ui
