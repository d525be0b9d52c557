// SPDX-License-Identifier: GPL-3.0-or-later
// The display's digits drawn from glyphs shaped once look exactly as drawText draws them,
// where the window draws them: the panel inside a window, at device pixel ratios 1 and 2.
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

#include "app_model.h"
#include "panel/glyph_row_layout.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"
#include "ui/panel/front_panel.h"
#include "ui/panel/glyph_row_painter.h"

namespace pv::ui {
namespace {

struct Texts {
  std::string what, reading, words, unit;
};

std::vector<Texts> GlyphCases() {
  // Each character alone in the reading's font, the label's (the words) and the small
  // one (the unit's "2"); then every character after every other, for the kerning.
  std::vector<Texts> cases;
  for (char c : kReadingCharacters) cases.push_back({std::string("'") + c + "'", std::string(1, c), std::string(1, c), "kgcm"});
  const std::string set(kReadingCharacters);
  cases.push_back({"the set", set, set.substr(0, 7), "ozin"});
  cases.push_back({"the set backwards", std::string(set.rbegin(), set.rend()), "+-.9", "kgcm"});
  cases.push_back({"pairs", "1.1-1+1 10.01", "-+ -", "psi"});
  cases.push_back({"a reading", "-1234.5", "HOLD", "inH"});
  cases.push_back({"the lost link", kLinkLostReading, "REC", "psi"});
  return cases;
}

// The panel where the window places it: offset in its window, whose backing store the
// panel's painter draws into.
QImage Shown(QWidget& window, double pixelRatio) {
  QImage image(window.size() * pixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(pixelRatio);
  image.fill(Qt::white);
  // drawText's first paint of glyphs drawn from their outlines (the reading at ratio 2)
  // differs from its later ones in a few edge pixels (by up to 12 levels of 255 here):
  // what is compared is the second paint.
  window.render(&image);
  window.render(&image);
  return image;
}

TEST(FrontPanelGlyphs, DrawsEveryCharacterAsDrawTextDoes) {
  AppModel model;
  QWidget window;
  window.resize(400, 800);
  FrontPanel panel(model, &window);
  panel.setGeometry(3, 57, 228, 700);
  for (const Texts& t : GlyphCases()) {
    model.panel.reading = t.reading;
    model.panel.holdWord = model.panel.difWord = model.panel.recWord = t.words;
    model.panel.unit = t.unit;
    for (double ratio : {1.0, 2.0}) {
      SCOPED_TRACE(t.what + " at pixel ratio " + std::to_string(ratio));
      panel.setShapedOnce(false);
      const QImage shaped = Shown(window, ratio);
      panel.setShapedOnce(true);
      const QImage fromGlyphs = Shown(window, ratio);
      int differing = 0;
      for (int y = 0; y < shaped.height(); ++y)
        for (int x = 0; x < shaped.width(); ++x) differing += shaped.pixel(x, y) != fromGlyphs.pixel(x, y);
      EXPECT_EQ(differing, 0);
    }
  }
}

// A text copied straight into a surface's pixels shows there what drawText shows on the
// display's green; where it cannot be copied, the surface is left as it was.
TEST(FrontPanelGlyphs, CopiesWhatDrawTextDrawsOrLeavesTheSurfaceAlone) {
  const QFont font = ArialByCharHeight(55, 100);
  const GlyphRowPainter glyphs(font, kReadingCharacters);
  const QRgb black = qRgb(0, 0, 0), green = kDisplayGreen.rgb(), untouched = qRgb(255, 255, 255);
  const QPointF baseline(9.0, 66.0);  // the caller's, whose (0, 0) lies at `offset` in the surface
  const QPoint offset(5, 3);
  const QRect whole(0, 0, 300, 80);
  struct Case {
    std::string what, text;
    QImage::Format format;
    double ratio;
    QRect area;  // the caller's
    bool copies;
  };
  const Case cases[] = {
      {"every character, one half", "+0123.45", QImage::Format_RGB32, 1.0, whole, true},
      {"every character, the other half", "-6789. ", QImage::Format_RGB32, 1.0, whole, true},
      {"in a surface with alpha", "+12.345", QImage::Format_ARGB32_Premultiplied, 1.0, whole, true},
      {"its last digits", "+12.345", QImage::Format_RGB32, 1.0, QRect(150, 10, 90, 70), true},
      {"cut through a glyph", "+12.345", QImage::Format_RGB32, 1.0, QRect(37, 20, 41, 33), true},
      {"a text outside the set", "OL", QImage::Format_RGB32, 1.0, whole, false},
      {"a scaled surface", "+1.5", QImage::Format_RGB32, 2.0, whole, false},
      {"a 16-bit surface", "+1.5", QImage::Format_RGB16, 1.0, whole, false},
      {"an area past the surface", "+1.5", QImage::Format_RGB32, 1.0, QRect(0, 0, 330, 80), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QImage drawn(320, 90, c.format);
    drawn.fill(green);
    QPainter p(&drawn);
    p.setFont(font);
    p.setPen(QColor(black));
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(QColor(green));
    p.drawText(baseline + offset, QString::fromStdString(c.text));
    p.end();
    QImage copied(drawn.size() * c.ratio, c.format);
    copied.setDevicePixelRatio(c.ratio);
    copied.fill(untouched);
    const bool done = glyphs.copy(copied, offset, baseline, c.text, c.area, black, green);
    EXPECT_EQ(done, c.copies);
    int wrong = 0;
    for (int y = 0; y < copied.height(); ++y)
      for (int x = 0; x < copied.width(); ++x)
        wrong += copied.pixel(x, y) !=
                 (done && c.area.translated(offset).contains(x, y) ? drawn.pixel(x, y) : untouched);
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace pv::ui
