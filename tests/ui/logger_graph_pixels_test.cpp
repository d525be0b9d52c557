// SPDX-License-Identifier: GPL-3.0-or-later
// The Graph window's picture, pixel by pixel: the trace stays inside the plot, every
// label and header part stands once within its room, a lone record shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <string>
#include <vector>

#include "app_model.h"
#include "link/units.h"
#include "ui/common/display_list_painter.h"
#include "ui/logger/graph_window.h"

namespace pv::ui {
namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kBackground(217, 218, 212);
// The plot of the 946 x 598 window: x 76.2..884.8, y 60..536.8; ticks at its quarter rows.
constexpr int kLeft = 76, kTop = 60, kRight = 884, kBottom = 536;
constexpr int kTickRows[] = {60, 179, 298, 417, 536};

// n records of one unit from 10:00:00, one second apart; values from valueAt(i).
template <typename F>
void Fill(AppModel& m, int n, int unit, F valueAt) {
  LoggerStore& s = m.logger;
  s.recordCount = n;
  for (int i = 0; i < n; ++i) {
    s.values[i] = valueAt(i);
    s.fullScaleAt[i] = kUnits[unit].fullScale;
    s.unitAt[i] = static_cast<std::uint8_t>(unit);
  }
  s.startHour = 10;
  s.intervalMs = 1000;
  s.unitName = std::string(kUnits[unit].name);
  s.loaded = true;
}

void Send(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::NoButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(p), w.mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}

void Drag(GraphWindow& w, QPoint from, QPoint to) {
  Send(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
  Send(w, QEvent::MouseMove, to, Qt::LeftButton);
  Send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton);
}

bool IsTick(int x, int y) {
  for (int row : kTickRows)
    if (y == row && ((x >= kLeft - 3 && x < kLeft) || (x > kRight && x <= kRight + 3))) return true;
  return false;
}

// Pixels of the trace's red outside the plot and its ticks, and of the error marks'
// white in the toolbar's rows and right of the plot, where no text stands.
std::vector<QPoint> StrayTracePixels(const QImage& image) {
  std::vector<QPoint> stray;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool inPlot = x >= kLeft && x <= kRight && y >= kTop && y <= kBottom;
      const QColor c = image.pixelColor(x, y);
      const bool red = c == kRed && !inPlot && !IsTick(x, y);
      const bool white = c == kWhite && (y < 23 || (x > kRight + 3 && y <= kBottom));
      if (red || white) stray.push_back({x, y});
    }
  }
  return stray;
}

TEST(LoggerGraphPixels, NothingOfTheTraceLeavesThePlot) {
  // A ramp across the whole range with error records along it; zoomed into a thin
  // band of the middle, most of it lies far above and below the plot.
  enum class Scroll { kNone, kLeft, kRight };
  struct Case {
    const char* name;
    bool zoom;
    Scroll scroll;
  };
  const Case cases[] = {
      {"full view", false, Scroll::kNone},
      {"zoomed", true, Scroll::kNone},
      {"zoomed, scrolled left", true, Scroll::kLeft},
      {"zoomed, scrolled right", true, Scroll::kRight},
  };
  for (const Case& c : cases) {
    AppModel m;
    // Beyond a tenth of full scale (5.2 psi) in the full view as well.
    Fill(m, 200, kUnitPsi, [](int i) { return i % 25 == 7 ? kErrorHigh : -8.0f + 16.0f * i / 199; });
    GraphWindow w(m);
    w.composedImage();
    if (c.zoom) {
      Drag(w, {300, 290}, {700, 310});
      ASSERT_EQ(m.loggerGraph.zoomLevel, 1) << c.name;
    }
    if (c.scroll == Scroll::kLeft) w.scrollBar()->setValue(w.scrollBar()->value() - 30);
    if (c.scroll == Scroll::kRight) w.scrollBar()->setValue(w.scrollBar()->value() + 30);
    const std::vector<QPoint> stray = StrayTracePixels(w.composedImage());
    EXPECT_TRUE(stray.empty()) << c.name << ": " << stray.size() << " pixels, first at " << stray[0].x()
                               << "," << stray[0].y();
  }
}

QImage Blank(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kBackground);
  return image;
}

// One text drawn alone, as the window's labels are: black on white, within its room.
QImage Alone(QSize size, Point at, const std::string& text, int room) {
  QImage image = Blank(size);
  DisplayList list;
  list.text(at, text, FontRole::kChart, {0, 0, 0}, Brush::Solid({255, 255, 255}));
  std::get<Text>(list.commands.back()).maxWidth = room;
  QPainter painter(&image);
  PaintDisplayList(painter, list);
  return image;
}

// Whether the region of `shown` equals the same region of `expected`; names the first difference.
testing::AssertionResult SameRegion(const QImage& shown, const QImage& expected, QRect region) {
  for (int y = region.top(); y <= region.bottom(); ++y)
    for (int x = region.left(); x <= region.right(); ++x)
      if (shown.pixelColor(x, y) != expected.pixelColor(x, y))
        return testing::AssertionFailure() << "differs at " << x << "," << y;
  return testing::AssertionSuccess();
}

TEST(LoggerGraphPixels, TheBottomValueLabelIsDrawnOnce) {
  struct Case {
    int records;
    const char* label;
    int x;
  };
  // A psi file's bottom label, and an empty file's zero.
  const Case cases[] = {{40, "-5.2000", 15}, {0, "0.0000", 22}};
  for (const Case& c : cases) {
    AppModel m;
    Fill(m, c.records, kUnitPsi, [](int) { return 1.0f; });
    GraphWindow w(m);
    const QImage shown = w.composedImage();
    const QImage expected = Alone(shown.size(), {c.x, kBottom - 12}, c.label, 0);
    // From the window's edge to the ticks, down to the bottom tick's row.
    EXPECT_TRUE(SameRegion(shown, expected, QRect(0, kBottom - 12, kLeft - 3, 12))) << c.label;
  }
}

TEST(LoggerGraphPixels, EachHeaderPartStandsWholeAtItsPlace) {
  struct Part {
    std::string text;
    int x, end;
    int y = 40;
  };
  struct Case {
    int unit;
    std::vector<Part> parts;
  };
  const std::string time = "10:00:20";
  const Case cases[] = {
      {kUnitPsi,
       {{"(", 20, 25},
        {"psi", 25, 70},
        {")", 70, 75},
        {"PRESSURE:", 75, 155},
        {"1.000", 155, 210},
        {"psi", 210, 255},
        {"@", 255, 275},
        {time, 275, 384}}},
      {7 /* kgcm */,
       {{"(", 20, 25},
        {"kgcm", 25, 58},
        {"2", 58, 70, 37},
        {")", 70, 75},
        {"PRESSURE:", 75, 155},
        {"0.070", 155, 210},
        {"kgcm", 210, 243},
        {"2", 243, 255, 37},
        {"@", 255, 275},
        {time, 275, 384}}},
      {10 /* cmH2O */,
       {{"(", 20, 25},
        {"cmH2O", 25, 70},
        {")", 70, 75},
        {"PRESSURE:", 75, 155},
        {"-703.087", 155, 210},
        {"cmH2O", 210, 255},
        {"@", 255, 275},
        {time, 275, 384}}},
  };
  for (const Case& c : cases) {
    AppModel m;
    const float value = c.unit == 10 ? -703.087f : (c.unit == 7 ? 0.07f : 1.0f);
    Fill(m, 40, c.unit, [&](int) { return value; });
    GraphWindow w(m);
    w.composedImage();
    Send(w, QEvent::MouseMove, {kLeft + 20 * 808 / 39 + 1, 300});  // record 20
    ASSERT_EQ(m.loggerGraph.cursorTime, time);
    const QImage shown = w.composedImage();
    for (const Part& p : c.parts) {
      const QImage alone = Alone(shown.size(), {p.x, p.y}, p.text, p.end - p.x);
      // The part alone keeps to its room, and the window shows exactly it there.
      const QRect room(p.x, 37, p.end - p.x, 20);
      const QRect beyond(p.end, 37, 60, 20);
      EXPECT_TRUE(SameRegion(alone, Blank(shown.size()), beyond)) << p.text << " overruns its room";
      EXPECT_TRUE(SameRegion(shown, alone, room)) << p.text << " at " << p.x;
    }
  }
}

TEST(LoggerGraphPixels, ALoneRecordShowsAsAShortStrokeFromTheLeftEdge) {
  AppModel m;
  Fill(m, 1, kUnitPsi, [](int) { return 1.0f; });  // one psi: row 252
  GraphWindow w(m);
  const QImage image = w.composedImage();
  for (int x = kLeft + 1; x <= kLeft + 5; ++x) EXPECT_EQ(image.pixelColor(x, 252), kRed) << x;
  EXPECT_NE(image.pixelColor(kLeft + 1, 251), kRed);
  EXPECT_EQ(m.loggerGraph.readout, "");
  Send(w, QEvent::MouseMove, {500, 300});
  EXPECT_EQ(m.loggerGraph.readout, "1.000");
}

}  // namespace
}  // namespace pv::ui
