// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/display_list_painter.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include "app_model.h"
#include "chart/chart_layout.h"

namespace pv::ui {
namespace {

QPalette ButtonFace(QColor c) {
  QPalette p;
  p.setColor(QPalette::Button, c);
  return p;
}

QImage Render(const std::function<void(QPainter&)>& draw, int w = 40, int h = 30) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  draw(painter);
  return image;
}

QRgb At(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xFFFFFF;
}

TEST(DisplayListPainter, DrawsEachCommandWhereTheListSays) {
  DisplayList list;
  list.fill(0, 0, 10, 5, Brush::ButtonFace());
  list.line({0, 10}, {20, 10}, Pen{{255, 0, 0}, 1, PenStyle::kSolid});
  list.commands.emplace_back(Polyline{Pen{{0, 0, 255}, 1, PenStyle::kSolid}, {{0, 20}, {5, 20}, {5, 25}}});
  list.commands.emplace_back(Pixels{{0, 255, 0}, {{30, 2}, {32, 4}}});
  const QImage image = Render([&](QPainter& p) { PaintDisplayList(p, list, ButtonFace(QColor(1, 2, 3))); });
  EXPECT_EQ(At(image, 9, 4), 0x010203u);
  EXPECT_EQ(At(image, 10, 4), 0xFFFFFFu);
  EXPECT_EQ(At(image, 12, 10), 0xFF0000u);
  EXPECT_EQ(At(image, 3, 20), 0x0000FFu);
  EXPECT_EQ(At(image, 5, 23), 0x0000FFu);
  EXPECT_EQ(At(image, 30, 2), 0x00FF00u);
  EXPECT_EQ(At(image, 32, 4), 0x00FF00u);
  EXPECT_EQ(At(image, 31, 3), 0xFFFFFFu);
}

TEST(DisplayListPainter, SurfacesAreFilledTranslatedAndClipped) {
  Surface s{10, 5, 8, 6, Brush::Solid({0, 0, 0}), {}};
  s.list.line({0, 2}, {100, 2}, Pen{{255, 255, 255}, 1, PenStyle::kSolid});
  s.list.commands.emplace_back(Pixels{{255, 0, 0}, {{-1, 0}, {0, 0}}});
  const QImage image = Render([&](QPainter& p) { PaintSurface(p, s); });
  EXPECT_EQ(At(image, 10, 5), 0xFF0000u);
  EXPECT_EQ(At(image, 9, 5), 0xFFFFFFu);  // outside the surface
  EXPECT_EQ(At(image, 11, 6), 0x000000u);
  EXPECT_EQ(At(image, 17, 7), 0xFFFFFFu);  // the line, inside
  EXPECT_EQ(At(image, 18, 7), 0xFFFFFFu);  // page white: clipped
  EXPECT_EQ(At(image, 17, 10), 0x000000u);
  EXPECT_EQ(At(image, 17, 11), 0xFFFFFFu);
}

TEST(DisplayListPainter, OpaqueTextFillsItsCellFromTheTopLeftCorner) {
  DisplayList list;
  list.text({2, 3}, "8.8", FontRole::kChart, Rgb{0, 0, 0}, Brush::Solid({0, 200, 0}));
  const QImage image = Render([&](QPainter& p) { PaintDisplayList(p, list); }, 60, 40);
  EXPECT_EQ(At(image, 1, 3), 0xFFFFFFu);
  EXPECT_EQ(At(image, 2, 3), 0x00C800u);
  EXPECT_EQ(At(image, 2, 2), 0xFFFFFFu);
  int dark = 0;
  for (int y = 3; y < 40; ++y)
    for (int x = 2; x < 60; ++x) dark += qGray(image.pixel(x, y)) < 60 ? 1 : 0;
  EXPECT_GT(dark, 5);
  EXPECT_GT(QFontInfo(FontForRole(FontRole::kChart)).pointSize(), 8);
}

TEST(DisplayListPainter, AClipLimitsTheCommandsUpToTheNextClipWithinTheSurface) {
  // A surface at (10, 5), 20 x 20; within it a clip of 5 x 5 at (2, 2), then lifted.
  Surface s{10, 5, 20, 20, Brush::Solid({0, 0, 0}), {}};
  const Pen red{{255, 0, 0}, 1, PenStyle::kSolid};
  s.list.clip(2, 2, 5, 5);
  s.list.line({-5, 3}, {40, 3}, red);
  s.list.unclip();
  s.list.line({-5, 10}, {40, 10}, red);
  const QImage image = Render([&](QPainter& p) { PaintSurface(p, s); });
  struct Probe {
    int x, y;
    QRgb colour;
  };
  const Probe probes[] = {
      {12, 8, 0xFF0000u},  {16, 8, 0xFF0000u},   // the clipped line, inside the clip
      {11, 8, 0x000000u},  {17, 8, 0x000000u},   // and beside it
      {10, 15, 0xFF0000u}, {29, 15, 0xFF0000u},  // the line after the clip: the whole surface
      {9, 15, 0xFFFFFFu},  {30, 15, 0xFFFFFFu},  // but not beyond it
  };
  for (const Probe& p : probes) EXPECT_EQ(At(image, p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST(DisplayListPainter, ATextWiderThanItsRoomIsDrawnSmallerWithinIt) {
  DisplayList list;
  list.text({2, 2}, "PRESSURE:", FontRole::kChart, {0, 0, 0}, Brush::Solid({255, 255, 255}));
  std::get<Text>(list.commands.back()).maxWidth = 30;
  const QImage image = Render([&](QPainter& p) { PaintDisplayList(p, list); }, 80, 30);
  int inked = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 80; ++x) {
      if (At(image, x, y) == 0xFFFFFFu) continue;
      ++inked;
      EXPECT_LT(x, 32) << "ink at " << x << "," << y;
    }
  }
  EXPECT_GT(inked, 20);
}

TEST(DisplayListPainter, AChartFrameRendersItsTraceOnBlack) {
  auto m = std::make_unique<AppModel>();
  m->run.fullScale = 52.0f;
  for (int i = 0; i < 50; ++i) {
    m->store.values[i] = 2.6f;
    m->store.fullScaleAt[i] = 52.0f;
    m->store.toPsiAt[i] = 1.0f;
  }
  m->store.sampleCount = 50;
  LayoutChart(*m, 1000, 700);
  const ChartFrame f = DrawChart(*m, 1000, 700);
  QImage image(1000, 700, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    PaintSurface(p, f.plot);
    PaintSurface(p, f.leftStrip);
  }
  EXPECT_EQ(At(image, 294 + 100, 118 + 108), 0xFF0000u);  // +2.6 psi: a quarter down
  EXPECT_EQ(At(image, 294 + 400, 118 + 108), 0x000000u);  // beyond the last sample
  EXPECT_EQ(At(image, 294 + 300, 118 + 300), 0x000000u);
}

TEST(DisplayListPainter, AChartFrameCoversEveryPixelOfItsPicture) {
  // The ground is filled only where no surface lies: a gap would leave whatever the
  // picture held before. Magenta stands for that.
  struct Case {
    int w, h;
    bool plotDrawn;
  };
  for (const Case c : {Case{1000, 700, true}, Case{40, 30, false}}) {
    auto m = std::make_unique<AppModel>();
    LayoutChart(*m, c.w, c.h);
    const ChartFrame f = DrawChart(*m, c.w, c.h);
    ASSERT_EQ(f.plotDrawn, c.plotDrawn) << c.w << "x" << c.h;
    QImage image(c.w, c.h, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    {
      QPainter p(&image);
      PaintChartFrame(p, image.rect(), f, ButtonFace(QColor(1, 2, 3)), QPoint());
    }
    int left = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) left += At(image, x, y) == 0xFF00FFu;
    EXPECT_EQ(left, 0) << c.w << "x" << c.h;
    EXPECT_EQ(At(image, 0, 0), 0x010203u) << c.w << "x" << c.h;
    if (c.plotDrawn) {
      EXPECT_EQ(At(image, f.plot.x + 1, f.plot.y + 1), 0x000000u);
    }
  }
}

}  // namespace
}  // namespace pv::ui
