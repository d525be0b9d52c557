// SPDX-License-Identifier: GPL-3.0-or-later
// The panel is laid out for Arial's widths. Whatever faces the machine has, the program
// picks one with Arial's metrics, and the widest readings stay inside the display.
#include <QFontInfo>
#include <QImage>
#include <gtest/gtest.h>

#include "panel_fixture.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"

namespace pv::ui {
namespace {

TEST(PanelFonts, TheReadingStaysInsideTheDisplay) {
  const char* const readings[] = {"+1.234", "-1.234", "-88.88", "+88.88", "-8888", "ERR4", "  - - - - "};
  // Right of the display's frame, beside the reading's line, only the panel shows.
  const QRect beside(204, 118, 14, 72);
  for (const char* reading : readings) {
    SCOPED_TRACE(reading);
    PanelFixture f;
    f.model.panel.reading = reading;
    QImage image(f.panel.size(), QImage::Format_RGB32);
    f.panel.render(&image);
    int foreign = 0;
    for (int y = beside.top(); y <= beside.bottom(); ++y)
      for (int x = beside.left(); x <= beside.right(); ++x) foreign += QColor(image.pixel(x, y)) != kPanelBackground;
    EXPECT_EQ(foreign, 0) << "drawn in " << QFontInfo(ArialByCharHeight(55, 100)).family().toStdString();
  }
}

}  // namespace
}  // namespace pv::ui
