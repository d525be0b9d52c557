// SPDX-License-Identifier: GPL-3.0-or-later
// Help > Contents: the user guide from the program's resources in one help window that
// keeps its place, with every link and picture of the guide found.
#include "ui/help/help_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <functional>
#include <memory>

#include "../core/recording_port.h"
#include "app_model.h"
#include "platform/config_file.h"
#include "ui/window/main_window.h"
#include "window_services.h"

namespace pv::ui {
namespace {

struct Program {
  QTemporaryDir dir;
  std::string config = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
  AppModel model;
  test::RecordingPort port;
  std::unique_ptr<MainWindow> window;

  Program() { open(); }
  void open() {
    window = std::make_unique<MainWindow>(model, port, SettingsFile(config),
                                          PortsAt([](int n) { return "/dev/ttyUSB" + std::to_string(n - 1); }));
    window->show();
  }
  HelpWindow* helpContents() {
    window->runCommand(WindowCommand::HelpContents);
    return window->helpWindow();
  }
};

int VisibleHelpWindows() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<HelpWindow*>(w) && w->isVisible()) ++n;
  return n;
}

// The anchors the browser found in the guide: the targets of its "#..." links.
QSet<QString> AnchorsOf(const QTextDocument& document) {
  QSet<QString> anchors;
  for (QTextBlock b = document.begin(); b != document.end(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      for (const QString& name : it.fragment().charFormat().anchorNames()) anchors.insert(name);
  return anchors;
}

QString GuideSource() {
  QFile file(QStringLiteral(":/guide/index.html"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// Every value of an attribute ("href", "src") in the guide's text.
QStringList AttributeValues(const QString& html, const QString& attribute) {
  QStringList values;
  const QRegularExpression re(QStringLiteral("\\b%1\\s*=\\s*\"([^\"]*)\"").arg(attribute));
  for (auto it = re.globalMatch(html); it.hasNext();) values << it.next().captured(1);
  return values;
}

TEST(HelpWindow, HelpContentsShowsTheGuideFromTheProgramsResources) {
  Program p;
  HelpWindow* help = p.helpContents();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->browser()->source(), HelpWindow::homeUrl());
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Pneuvista user guide"));
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Pneuvista user guide"));
  EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Connecting the meter")));

  // Closed and asked for again: the same window comes back, and there is only one.
  help->close();
  EXPECT_EQ(p.helpContents(), help);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(p.helpContents(), help);
  EXPECT_EQ(VisibleHelpWindows(), 1);
}

TEST(HelpWindow, TheGuidesStatisticsBarSectionSaysTheExtremesFillOnlyInRecMode) {
  Program p;
  QTextBrowser* browser = p.helpContents()->browser();
  EXPECT_TRUE(AnchorsOf(*browser->document()).contains(QStringLiteral("statistics")));
  const QString text = browser->toPlainText().simplified();
  const qsizetype section = text.indexOf(QStringLiteral("The statistics bar The bar above the chart"));
  ASSERT_GE(section, 0);
  EXPECT_GT(text.indexOf(QStringLiteral("they fill only while the meter is in REC mode"), section), section);
}

TEST(HelpWindow, EveryLinkAndPictureOfTheGuideIsFound) {
  Program p;
  QTextBrowser* browser = p.helpContents()->browser();
  const QString html = GuideSource();
  ASSERT_FALSE(html.isEmpty());
  const QSet<QString> anchors = AnchorsOf(*browser->document());
  const QStringList links = AttributeValues(html, QStringLiteral("href"));
  const QStringList pictures = AttributeValues(html, QStringLiteral("src"));
  ASSERT_GE(links.size(), 10);
  ASSERT_GE(pictures.size(), 4);
  for (const QString& link : links) {
    SCOPED_TRACE(link.toStdString());
    // The guide links only within itself: a web address would not work offline.
    ASSERT_TRUE(link.startsWith(QLatin1Char('#')));
    EXPECT_TRUE(anchors.contains(link.mid(1)));
  }
  for (const QString& picture : pictures) {
    SCOPED_TRACE(picture.toStdString());
    const QUrl url = HelpWindow::homeUrl().resolved(QUrl(picture));
    const QVariant loaded = browser->loadResource(QTextDocument::ImageResource, url);
    QImage image;
    image.loadFromData(loaded.toByteArray());
    EXPECT_FALSE(image.isNull());
  }
}

TEST(HelpWindow, ALinkIsFollowedAndBackReturns) {
  Program p;
  HelpWindow* help = p.helpContents();
  QTextBrowser* browser = help->browser();
  QList<QAction*> buttons = help->toolBar()->actions();
  ASSERT_EQ(buttons.size(), 5);  // Back, Forward, Contents, the gap, Close
  EXPECT_FALSE(buttons[0]->isEnabled());

  browser->setSource(QUrl(QStringLiteral("#troubleshooting")));
  EXPECT_EQ(browser->source().fragment(), QStringLiteral("troubleshooting"));
  EXPECT_TRUE(buttons[0]->isEnabled());
  buttons[0]->trigger();
  EXPECT_EQ(browser->source(), HelpWindow::homeUrl());
  EXPECT_TRUE(buttons[1]->isEnabled());
  buttons[1]->trigger();
  EXPECT_EQ(browser->source().fragment(), QStringLiteral("troubleshooting"));
  buttons[2]->trigger();
  EXPECT_EQ(browser->source(), HelpWindow::homeUrl());
}

TEST(HelpWindow, ItsPlaceIsKeptForTheNextTime) {
  struct Case {
    const char* name;
    bool closedFirst;  // else the program ends with the help window open
  };
  for (const Case c : {Case{"closed", true}, Case{"open at the end", false}}) {
    SCOPED_TRACE(c.name);
    Program p;
    const QRect place(60, 70, 640, 480);
    p.helpContents()->setGeometry(place);
    if (c.closedFirst) p.window->helpWindow()->close();
    p.window.reset();
    EXPECT_EQ(ReadHelpWindowPlace(p.config), (WindowPlace{60, 70, 640, 480}));

    p.open();
    EXPECT_EQ(p.helpContents()->geometry(), place);
  }
}

TEST(HelpWindow, EscapeCtrlWAndItsCloseButtonCloseTheGuide) {
  struct Case {
    const char* how;
    std::function<void(HelpWindow*)> close;
  };
  const Case cases[] = {
      {"Escape", [](HelpWindow* help) { QTest::keyClick(help->browser(), Qt::Key_Escape); }},
      {"Ctrl+W", [](HelpWindow* help) { QTest::keyClick(help->browser(), Qt::Key_W, Qt::ControlModifier); }},
      {"the Close button", [](HelpWindow* help) {
         for (QAction* a : help->toolBar()->actions())
           if (a->text() == QStringLiteral("Close")) a->trigger();
       }},
  };
  Program p;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    HelpWindow* help = p.helpContents();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    c.close(help);
    EXPECT_FALSE(help->isVisible());
  }
}

}  // namespace
}  // namespace pv::ui
