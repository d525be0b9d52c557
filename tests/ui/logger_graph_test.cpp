// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_graph.h"

#include <gtest/gtest.h>

#include <optional>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "print/print_page.h"
#include "ui/common/ui_constants.h"
#include "ui/files/file_commands.h"
#include "ui/logger/graph_window.h"

namespace pv::ui {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kFullGrid(80, 80, 80);
const QColor kBackground(217, 218, 212);
const QColor kCursorOnBlack(105, 205, 205);  // not (150, 50, 50) xor black

// n records of one psi from 10:00:00, one second apart; record `error` is ERR1.
void Fill(AppModel& m, int n, int error = -1) {
  LoggerStore& s = m.logger;
  s.recordCount = n;
  for (int i = 0; i < n; ++i) {
    s.values[i] = i == error ? kErrorHigh : 1.0f;
    s.fullScaleAt[i] = kUnits[kUnitPsi].fullScale;
    s.unitAt[i] = kUnitPsi;
  }
  s.startHour = 10;
  s.intervalMs = 1000;
  s.unitName = "psi";
  s.loaded = true;
}

void Send(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::NoButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(p), w.mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}

void DragWithMouse(GraphWindow& w, QPoint from, QPoint to) {
  Send(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
  Send(w, QEvent::MouseMove, to, Qt::LeftButton);
  Send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton);
}

TEST(LoggerGraphWindow, PrintReachesItsHandlerAndTheFullViewDoesNotScroll) {
  AppModel m;
  Fill(m, 200);
  GraphWindow w(m);
  EXPECT_FALSE(w.scrollBar()->isEnabled());
  int printed = 0;
  w.onPrint = [&] { ++printed; };
  w.action(WindowCommand::Print)->trigger();
  EXPECT_EQ(printed, 1);
}

TEST(LoggerGraphWindow, DrawsTheTraceOnTheBlackPlotWithItsGrid) {
  AppModel m;
  Fill(m, 200, 100);
  GraphWindow w(m);
  const QImage image = w.composedImage();
  struct Probe {
    QPoint at;
    QColor colour;
  };
  const Probe probes[] = {
      {{100, 70}, kBlack},      // plot
      {{100, 83}, kFullGrid},   // second horizontal grid line
      {{116, 70}, kFullGrid},   // first vertical grid line
      {{300, 252}, kRed},       // one psi: a tenth above the middle row
      {{76, 300}, kRed},        // left axis
      {{5, 200}, kBackground},  // margin
      {{480, 252 - 208}, kBackground},
  };
  for (const Probe& p : probes) EXPECT_EQ(image.pixelColor(p.at), p.colour) << p.at.x() << "," << p.at.y();
  // The ERR1 record 100 (x 482, at 5.1 psi: the top edge) carries a white cross.
  const int x = static_cast<int>(76.2f + 100 * (808.6f / 199));
  EXPECT_EQ(image.pixelColor(x + 2, 60 + 2), QColor(255, 255, 255));
}

TEST(LoggerGraphWindow, CursorFollowsTheMouseAndZoomHidesTheMargins) {
  AppModel m;
  Fill(m, 200);
  GraphWindow w(m);
  w.composedImage();
  Send(w, QEvent::MouseMove, {300, 400});
  const int x = m.loggerGraph.cursorX;
  ASSERT_FALSE(m.loggerGraph.cursorHidden);
  const QImage image = w.composedImage();
  int inverted = 0;
  for (int y = 61; y < 80; ++y) inverted += image.pixelColor(x, y) == kCursorOnBlack;
  EXPECT_GE(inverted, 5);
  EXPECT_EQ(m.loggerGraph.readout, "1.000");

  DragWithMouse(w, {100, 100}, {800, 500});
  EXPECT_EQ(m.loggerGraph.zoomLevel, 1);
  EXPECT_TRUE(w.scrollBar()->isEnabled());
  EXPECT_EQ(w.scrollBar()->maximum(), 200);
  const QImage zoomed = w.composedImage();
  EXPECT_EQ(zoomed.pixelColor(900, 300), kBackground);  // right margin covers the right axis
  EXPECT_EQ(zoomed.pixelColor(100, 70), kBlack);

  w.action(WindowCommand::LoggerZoomOut)->trigger();
  EXPECT_FALSE(w.scrollBar()->isEnabled());
  EXPECT_EQ(w.composedImage().pixelColor(884, 300), kRed);
}

TEST(LoggerGraphWindow, DownloadLoadsTheChosenFileOrSaysWhatIsWrong) {
  QTemporaryDir dir;
  AppModel run;
  run.store.sampleCount = 3;
  for (int i = 0; i < 3; ++i) {
    run.store.values[i] = -2.0f;
    run.store.fullScaleAt[i] = kUnits[kUnitPsi].fullScale;
    run.store.unitAt[i] = kUnitPsi;
  }
  const QString good = dir.filePath(QStringLiteral("good.KvtDat"));
  const auto bytes = EncodeDataLoggerFile(run);
  QFile file(good);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  file.close();
  // A file the user may only read loads as well.
  QFile::setPermissions(good, QFile::ReadOwner);

  AppModel m;
  GraphWindow w(m);
  QString chosen = good;
  std::vector<QString> failures;
  w.chooseFile = [&] { return chosen; };
  w.reportFailure = [&](const QString& message) { failures.push_back(message); };
  w.action(WindowCommand::LoggerDownload)->trigger();
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(m.logger.recordCount, 3);
  EXPECT_TRUE(m.logger.loaded);
  EXPECT_EQ(w.composedImage().pixelColor(500, 390), kRed);  // -2 psi: 298.4 + 91.7

  chosen = dir.filePath(QStringLiteral("missing.KvtDat"));
  w.action(WindowCommand::LoggerDownload)->trigger();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(failures[0].startsWith(chosen));
  EXPECT_EQ(m.logger.recordCount, 3);
  EXPECT_EQ(QString::fromStdString(m.loggerGraph.filePath), good);
}

std::vector<std::string> Texts(const DisplayList& list) {
  std::vector<std::string> texts;
  for (const DisplayCommand& c : list.commands)
    if (const auto* t = std::get_if<Text>(&c)) texts.push_back(t->text);
  return texts;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A run of n psi samples at `value`, saved as a data-logger file at path.
void WriteRun(const QString& path, int n, float value) {
  AppModel run;
  run.store.sampleCount = n;
  run.run.intervalMs = 1000;
  for (int i = 0; i < n; ++i) {
    run.store.values[i] = value;
    run.store.fullScaleAt[i] = kUnits[kUnitPsi].fullScale;
    run.store.unitAt[i] = kUnitPsi;
    run.store.unitNameAt[i] = kUnits[kUnitPsi].name;
  }
  const auto bytes = EncodeDataLoggerFile(run);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

TEST(LoggerGraphWindow, DocumentOpenShowsItsOwnPathAndHeaderOnScreenAndPaper) {
  QTemporaryDir dir;
  const QString first = dir.filePath(QStringLiteral("first.KvtDat"));
  const QString second = dir.filePath(QStringLiteral("second.KvtDat"));
  WriteRun(first, 20, 1.0f);
  WriteRun(second, 10, -2.0f);

  // A Download, a readout on it, zoomed and scrolled; then the window closes.
  AppModel m;
  {
    GraphWindow w(m);
    w.chooseFile = [&] { return first; };
    w.download();
    Send(w, QEvent::MouseMove, {300, 300});
    ASSERT_EQ(m.loggerGraph.readout, "1.000");
    DragWithMouse(w, {100, 100}, {800, 500});
    w.scrollBar()->setValue(w.scrollBar()->value() + 3);
  }

  QWidget mainWindow;
  RunFileCommands files(m, &mainWindow);
  files.chooseFile = [&](const FileDialogRequest&, std::string&) { return second; };
  files.documentOpen();
  ASSERT_EQ(m.logger.recordCount, 10);

  GraphWindow w(m);
  w.composedImage();
  const LoggerGraphFrame frame = DrawLoggerGraph(m, w.width(), w.height());
  const std::vector<std::string> shown = Texts(frame.surface.list);
  EXPECT_TRUE(Contains(shown, second.toStdString()));
  EXPECT_FALSE(Contains(shown, first.toStdString()));
  EXPECT_FALSE(Contains(shown, "1.000"));  // the first file's readout
  EXPECT_TRUE(m.loggerGraph.fullView);
  EXPECT_EQ(m.loggerGraph.scrollShift, 0);

  m.loggerView.graphClosed = false;
  const std::vector<std::string> printed = Texts(BuildPrintPage(m, 0).list);
  EXPECT_TRUE(Contains(printed, second.toStdString()));
  EXPECT_FALSE(Contains(printed, first.toStdString()));
}

TEST(LoggerGraphWindow, ScrolledTimeLabelsNameOnlyRecordsThatExist) {
  struct Case {
    const char* name;
    int thumbFromEnd;  // the thumb this many records before the last
  };
  const Case cases[] = {{"near the end", 30}, {"at the end", 0}, {"well inside", 100}};
  for (const Case& c : cases) {
    AppModel m;
    Fill(m, 200);  // 10:00:00 to 10:03:19
    GraphWindow w(m);
    w.composedImage();
    DragWithMouse(w, {300, 100}, {500, 500});
    ASSERT_EQ(m.loggerGraph.zoomLevel, 1);
    w.scrollBar()->setValue(200 - c.thumbFromEnd);
    w.composedImage();
    const LoggerGraphFrame frame = DrawLoggerGraph(m, w.width(), w.height());
    int labels = 0;
    for (const DisplayCommand& command : frame.surface.list.commands) {
      const auto* t = std::get_if<Text>(&command);
      if (!t || t->at.y != 537) continue;  // the time labels' row, under the plot
      ++labels;
      EXPECT_LE(t->text, "10:03:19") << c.name;
    }
    // Scrolled to its end the plot shows no record at the marks; otherwise some.
    if (c.thumbFromEnd > 0) {
      EXPECT_GT(labels, 0) << c.name;
    }
  }
}

TEST(LoggerGraphWindow, OpenRunsTheWindowModallyAndClosingResetsTheView) {
  AppModel m;
  Fill(m, 200);
  m.loggerGraph.fullView = false;
  m.loggerGraph.zoomLevel = 3;
  std::optional<bool> closedWhileOpen;
  QTimer::singleShot(0, [&] {
    closedWhileOpen = m.loggerView.graphClosed;
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  RunLoggerGraph(m, nullptr, {});
  EXPECT_EQ(closedWhileOpen, false);
  EXPECT_TRUE(m.loggerView.graphClosed);
  EXPECT_TRUE(m.loggerGraph.fullView);
  EXPECT_EQ(m.loggerGraph.zoomLevel, 0);
}

}  // namespace
}  // namespace pv::ui
