// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How many pixels of an image have exactly one colour: what a mark drawn in its own
// colour shows up as.
#include <QImage>

#include "display_list.h"

namespace pv::test {

inline int PixelsOf(const QImage& image, Rgb colour) {
  const QRgb wanted = qRgb(colour.r, colour.g, colour.b);
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == wanted ? 1 : 0;
  return n;
}

}  // namespace pv::test
