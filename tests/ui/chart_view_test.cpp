// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chart/chart_view.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "../core/recording_port.h"
#include "app_model.h"
#include "chart/zoom.h"
#include "link/units.h"
#include "ui/chart/chart_scroll_bar.h"
#include "ui/chart/chart_view.h"
#include "ui/window/main_window.h"

namespace pv::ui {
namespace {

// A psi run of that many samples shown in a 1300 x 900 window and painted, first with
// one sample and then with all of them, as a run grows.
ChartView* ShowRun(MainWindow& window, AppModel& model, int samples, const std::function<float(int)>& value) {
  const UnitInfo& psi = kUnits[kUnitPsi];
  model.run.fullScale = psi.fullScale;
  model.run.intervalMs = 1000;
  for (int i = 0; i < samples; ++i) {
    model.store.values[i] = value(i);
    model.store.fullScaleAt[i] = psi.fullScale;
    model.store.toPsiAt[i] = psi.toPsi;
  }
  model.store.sampleCount = 1;
  window.resize(1300, 900);
  window.show();
  QCoreApplication::processEvents();
  ChartView* view = window.view();
  view->repaint();
  model.store.sampleCount = samples;
  view->repaint();
  return view;
}

TEST(ChartView, PaintsThePlotGridAndTraceWhereTheSamplesLie) {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  MainWindow window(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()));
  // A quarter of the plot's height above the middle.
  ChartView* view = ShowRun(window, model, 10, [](int) { return 2.6f; });
  const QImage image = view->lastFrame();
  ASSERT_EQ(image.size(), view->size());

  // The plot runs from (294, 118) to (width - 70, height - 150).
  const int h = view->height() - 150 - 118;
  auto colour = [&](int x, int y) { return QColor(image.pixel(294 + x, 118 + y)); };
  EXPECT_EQ(colour(300, h / 2 + 20), QColor(0, 0, 0)) << "plot background";
  EXPECT_EQ(colour(30, h / 4), QColor(255, 0, 0)) << "trace at +2.6 psi";
  EXPECT_EQ(colour(30, h / 4 + 3), QColor(0, 0, 0)) << "nothing below the trace";
  // The first horizontal grid line, at trunc(H / 12), is dotted grey.
  int grey = 0, dark = 0;
  for (int x = 100; x < 200; ++x) {
    const QColor c = colour(x, static_cast<int>(h * (1.0 / 12)));
    grey += c == QColor(170, 170, 170);
    dark += c == QColor(0, 0, 0);
  }
  EXPECT_GT(grey, 20);
  EXPECT_GT(dark, 20);
  // Labels in the strips: the left strip is not plain button face any more.
  int labelInk = 0;
  for (int y = 111; y < 135; ++y)
    for (int x = 224; x < 294; ++x) labelInk += QColor(image.pixel(x, y)).lightness() < 100;
  EXPECT_GT(labelInk, 10);
}

TEST(ChartView, TheScrollBarUnderTheLiveChartShowsNoMovingThumb) {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  MainWindow window(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()));
  model.run.fullScale = kUnits[kUnitPsi].fullScale;
  model.run.intervalMs = 1000;
  window.resize(1300, 900);
  window.show();
  QCoreApplication::processEvents();
  QScrollBar* bar = window.view()->scrollStrip()->scrollBar();
  auto barAt = [&](int samples) {
    model.store.sampleCount = samples;
    window.view()->repaint();
    return bar->grab().toImage();
  };
  const QImage first = barAt(10);
  for (int samples : {11, 150, 5000}) {
    EXPECT_EQ(barAt(samples), first) << samples;
    EXPECT_FALSE(bar->isEnabled());
  }
}

TEST(ChartView, ATinyClientSkipsThePlotWithoutFailing) {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  MainWindow window(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()));
  model.store.sampleCount = 5;
  for (QSize size : {QSize(0, 0), QSize(300, 200), QSize(294, 118)}) {
    window.view()->resize(size);
    window.view()->grab();
  }
  SUCCEED();
}

// Where a part of a scroll bar lies (an arrow, a page area), as its style draws it.
QPoint CentreOf(QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider opt;
  opt.initFrom(bar);
  opt.orientation = bar->orientation();
  opt.state |= QStyle::State_Horizontal;
  opt.minimum = bar->minimum();
  opt.maximum = bar->maximum();
  opt.sliderPosition = bar->sliderPosition();
  opt.sliderValue = bar->value();
  opt.singleStep = bar->singleStep();
  opt.pageStep = bar->pageStep();
  opt.subControls = QStyle::SC_All;
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar).center();
}

TEST(ChartView, TheZoomedChartFollowsArrowsPagesAndTheWheelOfItsScrollBar) {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  MainWindow window(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()));
  ChartView* view = ShowRun(window, model, 400, [](int i) { return static_cast<float>(i % 40) * 0.1f - 2.0f; });
  // Zoom into the middle of the run, as a drag over the plot does.
  const int w = view->width(), h = view->height();
  ASSERT_TRUE(LeftPress(model, {600, 200}, w, h));
  MouseMove(model, {800, 400}, w, h);
  ASSERT_EQ(LeftRelease(model, {800, 400}, w, h, NullObserver()), ZoomOutcome::kAccepted);
  view->repaint();

  QScrollBar* bar = view->scrollStrip()->scrollBar();
  ASSERT_TRUE(bar->isEnabled());
  ASSERT_GT(bar->pageStep(), 1);
  auto click = [bar](QStyle::SubControl part) {
    return [bar, part] { QTest::mouseClick(bar, Qt::LeftButton, {}, CentreOf(bar, part)); };
  };
  auto wheel = [bar](int delta) {
    return [bar, delta] {
      const QPointF at(bar->width() / 2.0, bar->height() / 2.0);
      QWheelEvent e(at, bar->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(bar, &e);
    };
  };
  struct Case {
    const char* how;
    std::function<void()> act;
    int samples;  // how far the thumb moves; 0: as far as the wheel takes it
  };
  const int page = bar->pageStep();
  const Case cases[] = {
      {"right arrow", click(QStyle::SC_ScrollBarAddLine), 1},
      {"left arrow", click(QStyle::SC_ScrollBarSubLine), -1},
      {"page right", click(QStyle::SC_ScrollBarAddPage), page},
      {"page left", click(QStyle::SC_ScrollBarSubPage), -page},
      {"wheel down", wheel(-120), 0},
      {"wheel up", wheel(120), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    const int before = bar->value();
    const QImage shown = view->lastFrame();
    c.act();
    view->repaint();
    if (c.samples != 0) {
      EXPECT_EQ(bar->value(), before + c.samples);
    }
    EXPECT_NE(bar->value(), before);
    // The chart shows the sample under the thumb at its left edge.
    EXPECT_EQ(model.chart.zoomLeft - model.chart.scrollOffset, bar->value());
    EXPECT_NE(view->lastFrame(), shown);
  }
}

}  // namespace
}  // namespace pv::ui
