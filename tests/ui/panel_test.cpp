#include <QFontInfo>
#include <QImage>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app_model.h"
#include "panel_fixture.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"
#include "ui/panel/front_panel.h"

namespace pv::ui {
namespace {

QImage Render(QWidget& w) {
  QImage image(w.size(), QImage::Format_RGB32);
  w.render(&image);
  return image;
}

TEST(FrontPanel, PaintsTheDisplayGreenInsideItsBlackFrame) {
  PanelFixture f;
  const QImage image = Render(f.panel);
  struct Probe {
    const char* what;
    int x, y;
    QColor colour;
  };
  const Probe probes[] = {
      {"panel background", 50, 650, kPanelBackground},
      {"display window, right of the text", 190, 110, kDisplayGreen},
      {"display window, below the unit", 30, 224, kDisplayGreen},
      {"left display frame", 15, 150, Qt::black},
      {"right display frame", 198, 150, Qt::black},
      {"top display frame", 100, 93, Qt::black},
      {"bottom display frame", 100, 229, Qt::black},
      {"panel border, left", 1, 300, Qt::black},
      {"panel border, top", 100, 1, Qt::black},
      {"caption marker", 22, 50, Qt::black},
  };
  for (const auto& p : probes) EXPECT_EQ(QColor(image.pixel(p.x, p.y)), p.colour) << p.what;

  // The reading is drawn in black inside the display, from (23, 125) on.
  int dark = 0;
  for (int y = 125; y < 185; ++y)
    for (int x = 23; x < 190; ++x) dark += QColor(image.pixel(x, y)).lightness() < 60;
  EXPECT_GT(dark, 200);
}

TEST(FrontPanel, UsesArialByItsMetricCompatibleFace) {
  const QFontInfo info(ArialByCharHeight(19, 100));
  EXPECT_TRUE(info.family() == QStringLiteral("Liberation Sans") || info.family() == QStringLiteral("Arial"))
      << info.family().toStdString();
}

TEST(FrontPanel, KeysSitAtTheirPlacesAndFollowTheModel) {
  PanelFixture f;
  AppModel& model = f.model;
  FrontPanel& panel = f.panel;
  EXPECT_EQ(panel.keyButton(Key::Hold)->geometry(), QRect(22, 422, 80, 28));
  EXPECT_EQ(panel.keyButton(Key::Units)->geometry(), QRect(64, 268, 80, 28));
  EXPECT_EQ(panel.keyButton(Key::Zero)->geometry(), QRect(66, 572, 76, 28));
  EXPECT_EQ(panel.keyButton(Key::Unhold)->geometry(), panel.keyButton(Key::Hold)->geometry());
  // As created: the main keys shown and disabled, the UN-keys hidden.
  panel.show();
  for (Key k : {Key::Hold, Key::Rec, Key::Light, Key::Zero, Key::Units, Key::Dif}) {
    EXPECT_TRUE(panel.keyButton(k)->isVisible());
    EXPECT_FALSE(panel.keyButton(k)->isEnabled());
  }
  for (Key k : {Key::Unhold, Key::Unrec, Key::Undif}) EXPECT_FALSE(panel.keyButton(k)->isVisible());
  model.panel.key(Key::Hold) = {false, false};
  model.panel.key(Key::Unhold) = {true, true};
  panel.syncKeys();
  EXPECT_FALSE(panel.keyButton(Key::Hold)->isVisible());
  EXPECT_TRUE(panel.keyButton(Key::Unhold)->isVisible());
  EXPECT_TRUE(panel.keyButton(Key::Unhold)->isEnabled());
}

}  // namespace
}  // namespace pv::ui
