// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFontInfo>
#include <QImage>
#include <QPushButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>
#include <vector>

#include "app_model.h"
#include "link/units.h"
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

TEST(MeterPanel, KeysCarryTheirCaptions) {
  PanelFixture f;
  const std::pair<Key, const char*> captions[] = {
      {Key::Hold, "HOLD"},   {Key::Unhold, "UNHOLD"}, {Key::Rec, "REC"},
      {Key::Unrec, "UNREC"}, {Key::Light, "LIGHT"},   {Key::Zero, "ZERO"},
      {Key::Units, "UNITS"}, {Key::Dif, "DIF"},       {Key::Undif, "UNDIF"},
  };
  for (const auto& [key, caption] : captions) EXPECT_EQ(f.panel.keyButton(key)->text(), QString(caption));
}

// Squared units get a superscript 2; the water-column labels ("inH") a subscript 2
// and an "O". Each unit label of the table is checked, and texts that are no label.
TEST(MeterPanel, UnitLabelsCarryTheirMarks) {
  using Marks = std::vector<std::tuple<int, int, char, bool>>;  // x, y, text, small font
  const std::pair<const char*, Marks> cases[] = {
      {"bar", {}},
      {"ozin", {{108, 200, '2', true}}},
      {"psi", {}},
      {"inHg", {}},
      {"mbar", {}},
      {"mmHg", {}},
      {"kPa", {}},
      {"kgcm", {{118, 200, '2', true}}},
      {"inH", {{101, 211, '2', true}, {108, 203, 'O', false}}},
      {"ftH", {{98, 211, '2', true}, {104, 203, 'O', false}}},
      {"cmH", {{113, 211, '2', true}, {118, 203, 'O', false}}},
      {" ", {}},
      {"inH2O", {}},
  };
  for (const UnitInfo& unit : kUnits) {
    EXPECT_TRUE(std::any_of(std::begin(cases), std::end(cases), [&](const auto& c) {
      return c.first == unit.label;
    })) << unit.label;
  }
  for (const auto& [label, want] : cases) {
    Marks got;
    for (const UnitLabelMark& m : UnitLabelMarks(label)) got.emplace_back(m.x, m.y, m.text, m.smallFont);
    EXPECT_EQ(got, want) << label;
  }
}

}  // namespace
}  // namespace pv::ui
