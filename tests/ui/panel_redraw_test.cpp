// SPDX-License-Identifier: GPL-3.0-or-later
// The front panel's display at the line's rate: a notification has it repainted once
// when its texts changed and not at all when they did not, and what the window shows is
// always what a full paint would show.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "app_model.h"
#include "event_loop.h"
#include "panel_fixture.h"
#include "ui/panel/front_panel.h"

namespace pv::ui {
namespace {

// The six field notifications one reading frame brings.
void Notify(FrontPanel& panel) {
  for (PanelField f : {PanelField::DifWord, PanelField::RecWord, PanelField::HoldWord, PanelField::Reading,
                       PanelField::Unit, PanelField::UnitMarks})
    panel.redrawField(f);
}

// Each step comes as a bare notification (painted through a paint event) and as a
// whole reading (drawn at once at its end, copied from the glyphs' tiles where only the
// reading shows).
TEST(FrontPanelRedraw, RepaintsOncePerChangeAndShowsWhatAFullPaintShows) {
  struct Step {
    const char* what;
    const char* reading;
    const char* unit;
    const char* hold;
    const char* rec;
    int paints;
  };
  const Step steps[] = {
      {"the same reading again", "+1.234", "psi", "", "", 0},
      {"a new reading", "+1.235", "psi", "", "", 1},
      {"a middle digit", "+1.935", "psi", "", "", 1},
      {"the sign", "-1.935", "psi", "", "", 1},
      {"a long text, then a short one", "  - - - - ", "psi", "", "", 1},
      {"short again", "+1", "psi", "", "", 1},
      {"past the display's green", "-18888.8", "psi", "", "", 1},
      {"back inside it", "-1888.8", "psi", "", "", 1},
      {"a box past the green, the ink inside it", "+12.34 ", "psi", "", "", 1},
      {"the box back inside", "+1.23", "psi", "", "", 1},
      {"and out again", "+12.35 ", "psi", "", "", 1},
      {"letters", "OL", "psi", "", "", 1},
      {"digits over the letters", "-8", "psi", "", "", 1},
      {"a unit with marks", "+0.123", "kgcm", "", "", 1},
      {"the marks go", "+0.123", "psi", "", "", 1},
      {"HOLD shows", "+0.123", "psi", "HOLD", "", 1},
      {"HOLD with a new reading", "+0.124", "psi", "HOLD", "", 1},
      {"REC shows beside a new reading", "+0.125", "psi", "HOLD", "REC", 1},
      {"a new reading beside REC", "+0.126", "psi", "HOLD", "REC", 1},
      {"nothing changes", "+0.126", "psi", "HOLD", "REC", 0},
      {"the unit and the words go with a new reading", "+0.127", "", "", "", 1},
  };
  for (const bool whole : {false, true}) {
    SCOPED_TRACE(whole ? "as whole readings" : "as notifications");
    PanelFixture f;
    AppModel& model = f.model;
    FrontPanel& panel = f.panel;
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QApplication::processEvents();
    testsupport::PaintCounter events(&panel);
    for (const Step& s : steps) {
      SCOPED_TRACE(s.what);
      events.count = 0;
      const int paints = panel.displayPaints();
      if (whole) panel.beginReading();
      model.panel.reading = s.reading;
      model.panel.unit = s.unit;
      model.panel.holdWord = s.hold;
      model.panel.recWord = s.rec;
      Notify(panel);
      if (whole) panel.endReading();
      QApplication::processEvents();  // a paint asked for comes when the notification returns
      EXPECT_EQ(panel.displayPaints() - paints, s.paints);
      EXPECT_EQ(events.count, whole ? 0 : s.paints);

      const QImage shown =
          panel.screen()->grabWindow(panel.winId()).toImage().convertToFormat(QImage::Format_RGB32);
      QImage full(panel.size(), QImage::Format_RGB32);
      panel.render(&full);
      ASSERT_EQ(shown.size(), full.size());
      EXPECT_TRUE(shown == full) << "the window shows stale pixels";
    }
  }
}

TEST(FrontPanelRedraw, WithinAReadingTheDisplayIsPaintedOnceAtItsEnd) {
  PanelFixture f;
  f.panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.panel));
  QApplication::processEvents();
  testsupport::PaintCounter events(&f.panel);

  for (const char* reading : {"+2.001", "+2.002"}) {
    SCOPED_TRACE(reading);
    const int before = f.panel.displayPaints();
    events.count = 0;
    f.panel.beginReading();
    f.model.panel.reading = reading;
    Notify(f.panel);
    f.model.panel.holdWord = f.model.panel.holdWord.empty() ? "HOLD" : "";
    Notify(f.panel);
    EXPECT_EQ(f.panel.displayPaints(), before) << "painted before the reading was handled";
    f.panel.endReading();
    EXPECT_EQ(f.panel.displayPaints(), before + 1) << "not painted at once at the reading's end";
    QApplication::processEvents();
    EXPECT_EQ(f.panel.displayPaints(), before + 1) << "a second paint through the event loop";
    EXPECT_EQ(events.count, 0) << "painted through a paint event rather than drawn at once";
    // The window shows what a whole paint of the panel shows.
    const QImage shown =
        f.panel.screen()->grabWindow(f.panel.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    QImage full(f.panel.size(), QImage::Format_RGB32);
    f.panel.render(&full);
    EXPECT_TRUE(shown == full) << "the window shows stale pixels";
  }
}

TEST(FrontPanelRedraw, AReadingIsDrawnAtOnceOnlyWhereNothingCoversTheDisplay) {
  struct Case {
    const char* what;
    QRect cover;  // a widget over the panel, in the window; null for none
    bool drawnAtOnce;
  };
  const Case cases[] = {
      {"inside a window, at an offset", QRect(), true},
      {"beside another widget", QRect(300, 0, 50, 50), true},
      {"under another widget", QRect(40, 150, 60, 60), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AppModel model;
    model.panel.reading = "+1.234";
    model.panel.unit = "psi";
    QWidget window;
    window.resize(400, 800);
    FrontPanel panel(model, &window);
    panel.setGeometry(3, 57, 228, 700);
    QWidget cover(&window);
    cover.setAutoFillBackground(true);
    cover.setGeometry(c.cover);
    cover.setVisible(!c.cover.isNull());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    testsupport::PaintCounter events(&panel);

    panel.beginReading();
    model.panel.reading = "-8.765";
    Notify(panel);
    panel.endReading();
    QApplication::processEvents();
    EXPECT_EQ(events.count, c.drawnAtOnce ? 0 : 1);
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    QImage full(window.size(), QImage::Format_RGB32);
    window.render(&full);
    EXPECT_TRUE(shown == full) << "the window shows stale pixels";
  }
}

}  // namespace
}  // namespace pv::ui
