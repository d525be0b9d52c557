// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modal "Graph" window: a saved data-logger file drawn zoomable with a cursor
// readout. Core computes the picture and the mouse rules; this window paints the
// display list off screen, draws the cursor line and the rubber band over it, and
// runs the toolbar, the scroll bar and the drag watch.
#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>
#include <string>

#include "chart/zoom.h"
#include "ui/common/ui_constants.h"

class QAction;
class QScrollBar;
class QToolBar;

namespace pv {
struct AppModel;
struct LoggerScrollBar;
}  // namespace pv

namespace pv::ui {

class GraphHoldTest;

class GraphWindow : public QDialog {
  Q_OBJECT
 public:
  // configPath: the configuration file that keeps the hold test record's last values.
  explicit GraphWindow(AppModel& model, QWidget* parent = nullptr, const std::string& configPath = {});

  // Print is the main window's command; the window only passes it on.
  std::function<void()> onPrint;
  // The file-open dialog; returns the chosen path, empty when cancelled. Tests replace it.
  std::function<QString()> chooseFile;
  // Tells the user why a file could not be loaded; tests replace it.
  std::function<void(const QString& message)> reportFailure;
  // The pointer in client coordinates, read by the drag watch; tests replace it.
  std::function<QPoint()> pointerPosition;

  QToolBar* toolBar() const { return toolBar_; }
  QScrollBar* scrollBar() const { return scrollBar_; }
  QAction* action(WindowCommand command) const;
  // The hold test's panel beside the graph.
  GraphHoldTest& holdTest() const { return *holdTest_; }

  void download();
  void zoomOut();
  // What the window shows now: the picture with the cursor line and rubber band.
  QImage composedImage();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void createToolBar();
  void repaintNow();
  void rebuild();
  void syncScrollBar(const LoggerScrollBar& state);
  void stopDragWatch();
  // The graph keeps its size; the hold test's panel widens the window beside it.
  void fitToPanel(bool panelShown);

  AppModel& model_;
  QToolBar* toolBar_ = nullptr;
  QScrollBar* scrollBar_ = nullptr;
  QAction* download_ = nullptr;
  QAction* zoomOut_ = nullptr;
  QAction* print_ = nullptr;
  QAction* holdTestAction_ = nullptr;
  GraphHoldTest* holdTest_ = nullptr;
  QImage picture_;
  bool stale_ = true;
  bool syncing_ = false;
  RubberBand band_;
  int dragWatch_ = 0;
};

// The statistics bar's Open: runs the window modally; printing prints the logger graph
// while it is open, and closing it returns the graph to its full view.
void RunLoggerGraph(AppModel& model, QWidget* parent, std::function<void()> onPrint,
                    const std::string& configPath = {});

}  // namespace pv::ui
