// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolBar>
#include <memory>
#include <tuple>

#include "../core/recording_port.h"
#include "app_model.h"
#include "pneuvista_version.h"
#include "ui/chart/chart_scroll_bar.h"
#include "ui/chart/cursor_bar.h"
#include "ui/chart/chart_view.h"
#include "ui/chart/statistics_bar.h"
#include "ui/panel/front_panel.h"
#include "ui/window/dialogs.h"
#include "ui/window/main_window.h"

namespace pv::ui {
namespace {

struct Window {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  std::unique_ptr<MainWindow> window;

  explicit Window(QSize size = {1200, 800}) {
    window = std::make_unique<MainWindow>(model, port,
                                          SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()));
    window->resize(size);
    window->show();
    QCoreApplication::processEvents();
  }
};

TEST(WindowLook, TheToolbarHasItsGripperAndDocksOnEverySideOrFloats) {
  Window w;
  QToolBar* bar = w.window->toolBar();
  EXPECT_TRUE(bar->isMovable());
  EXPECT_TRUE(bar->isFloatable());
  EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
  // The gripper comes before the first button.
  const int grip = bar->style()->pixelMetric(QStyle::PM_ToolBarHandleExtent, nullptr, bar);
  EXPECT_GT(grip, 0);
  EXPECT_GE(bar->widgetForAction(w.window->action(WindowCommand::SaveRun))->x(), grip);

  // Docked at a side it stands upright at the toolbar's thickness; back on top it is
  // the 30-pixel strip the bars are placed below.
  w.window->addToolBar(Qt::LeftToolBarArea, bar);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->orientation(), Qt::Vertical);
  EXPECT_GT(bar->height(), 150);
  EXPECT_LE(bar->width(), 40);
  // The bars move aside with the chart instead of covering the toolbar.
  ChartView* view = w.window->view();
  const QWidget* panelEdge = view->panel()->parentWidget();
  EXPECT_EQ(panelEdge->mapTo(w.window.get(), QPoint(0, 0)).x(), bar->geometry().right() + 1);
  EXPECT_EQ(panelEdge->y(), view->y() + 1);
  EXPECT_EQ(view->statisticsBar()->parentWidget()->pos(), view->pos() + QPoint(228, 0));
  w.window->addToolBar(Qt::TopToolBarArea, bar);
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->orientation(), Qt::Horizontal);
  EXPECT_EQ(bar->height(), 30);
  EXPECT_GT(bar->width(), 150);
}

TEST(WindowLook, ThePanelAndTheStatisticsBarSitInASunkenEdge) {
  Window w;
  const QImage image = w.window->grab().toImage();
  const QPalette pal = w.window->palette();
  struct Bar {
    const char* name;
    QWidget* bar;
    QPoint place;  // the outer top-left corner in the client area
    int width;
  };
  const QPoint o = w.window->clientOrigin();
  const int clientW = w.window->clientRect().width();
  const Bar bars[] = {
      {"front panel", w.window->view()->panel(), QPoint(0, 31), 228},
      {"statistics bar", w.window->view()->statisticsBar(), QPoint(228, 30), clientW - 238},
  };
  for (const Bar& b : bars) {
    SCOPED_TRACE(b.name);
    const QPoint outer = o + b.place;
    // The bar's own coordinates start inside the two-pixel edge.
    EXPECT_EQ(b.bar->mapTo(w.window.get(), QPoint(0, 0)), outer + QPoint(2, 2));
    EXPECT_EQ(b.bar->width(), b.width - 4);
    // Dark above and left, light below and right: the edge is sunken.
    const int midY = outer.y() + 40;
    auto at = [&](int x, int y) { return QColor(image.pixel(x, y)).name().toStdString(); };
    auto role = [&](QPalette::ColorRole r) { return pal.color(r).name().toStdString(); };
    EXPECT_EQ(at(outer.x(), midY), role(QPalette::Dark));
    EXPECT_EQ(at(outer.x() + 1, midY), role(QPalette::Shadow));
    EXPECT_EQ(at(outer.x() + b.width - 1, midY), role(QPalette::Light));
    EXPECT_EQ(at(outer.x() + 60, outer.y()), role(QPalette::Dark));
  }
}

// From 1600 x 900 up the bars keep their places; smaller, every key, box, button and
// the chart's scroll bar stays in sight, and below the smallest such window the area
// under the toolbar scrolls over them.
TEST(WindowLook, EveryControlIsReachableInASmallWindow) {
  const std::tuple<QSize, bool, bool> cases[] = {  // window, scrolls, compact panel
      {{1600, 900}, false, false}, {{1366, 700}, false, true}, {{1280, 640}, false, true}, {{800, 500}, true, true}};
  for (const auto& [size, scrolls, compact] : cases) {
    SCOPED_TRACE(size.width());
    Window w(size);
    ChartView* view = w.window->view();
    EXPECT_EQ(view->panel()->compact(), compact);
    const auto* scroll = w.window->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible(), scrolls);
    const QWidget* area = scrolls ? scroll->widget() : scroll->viewport();
    const QRect reachable(area->mapTo(w.window.get(), QPoint(0, 0)), area->size());
    int controls = 0;
    for (QWidget* bar : {static_cast<QWidget*>(view->panel()), static_cast<QWidget*>(view->statisticsBar()),
                         static_cast<QWidget*>(view->cursorBar()), static_cast<QWidget*>(view->scrollStrip())})
      for (QWidget* c : bar->findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(c) && !qobject_cast<QLineEdit*>(c) && !qobject_cast<QScrollBar*>(c)) continue;
        ++controls;
        EXPECT_TRUE(reachable.contains(QRect(c->mapTo(w.window.get(), QPoint(0, 0)), c->size())))
            << c->metaObject()->className() << " " << c->property("text").toString().toStdString();
      }
    EXPECT_GE(controls, 31);
  }
}

TEST(WindowLook, HoldAndUnitsCarryTheDefaultButtonLook) {
  Window w;
  FrontPanel* panel = w.window->view()->panel();
  for (Key k : {Key::Hold, Key::Unhold, Key::Rec, Key::Unrec, Key::Light, Key::Zero, Key::Units, Key::Dif,
                Key::Undif}) {
    EXPECT_EQ(panel->keyButton(k)->isDefault(), k == Key::Hold || k == Key::Units)
        << panel->keyButton(k)->text().toStdString();
  }
}

TEST(WindowLook, TheProgramHasItsOwnIconAndTheAboutBoxShowsItWithTheVersion) {
  Window w;
  const QIcon icon = w.window->windowIcon();
  ASSERT_FALSE(icon.isNull());
  const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
  // A drawing, not an empty square: transparent corners, several colours inside.
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  EXPECT_GE(colours.size(), 4);

  AboutDialog about(w.window.get());
  const QLabel* shown = nullptr;
  for (const QLabel* label : about.findChildren<QLabel*>())
    if (!label->pixmap().isNull()) shown = label;
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), image);
  const auto* text = about.findChild<QLabel*>(QStringLiteral("aboutText"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), QStringLiteral("Q5716 Pneuvista Software Version %1 ").arg(QLatin1String(pneuvista::kVersion)));
  EXPECT_TRUE(QString::fromLatin1(pneuvista::kVersion).contains(QRegularExpression(QStringLiteral("^\\d+\\.\\d+"))));
}

}  // namespace
}  // namespace pv::ui
