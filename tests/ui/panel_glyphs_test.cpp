// SPDX-License-Identifier: GPL-3.0-or-later
// The display's digits drawn from glyphs shaped once look exactly as drawText draws them,
// where the window draws them: the panel inside a window, at device pixel ratios 1 and 2.
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

#include "app_model.h"
#include "panel/glyph_row_layout.h"
#include "ui/panel/front_panel.h"

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

}  // namespace
}  // namespace pv::ui
