// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart view: the hub of the main window's client area. It owns the drag watch,
// creates the five bars around the chart beside it in the client area (the scrolled
// area under the toolbar) and places them where the main window asks, on every resize
// of that area.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "holdtest/hold_marks.h"

class QRubberBand;

namespace pv {
struct AppModel;
class SerialPort;
class ModelObserver;
}  // namespace pv

namespace pv::ui {

class ClientEdge;
class CursorBar;
class ChartScrollBar;
class FrontPanel;
class StatisticsBar;

class ChartView : public QWidget {
  Q_OBJECT
 public:
  // client: the scrolled area under the toolbar that holds the view and the bars.
  ChartView(AppModel& model, SerialPort& port, ModelObserver& observer, QWidget* client);

  StatisticsBar* statisticsBar() const { return statisticsBar_; }
  CursorBar* cursorBar() const { return cursorBar_; }
  FrontPanel* panel() const { return panel_; }
  ChartScrollBar* scrollStrip() const { return scrollStrip_; }

  // Places the view and the bars in the client area, at least as large as every control
  // needs: clientOrigin is the client area's origin in the main window (the top of the
  // toolbar strip), clientRect the area with the toolbar strip above and the status bar
  // below. The bars follow the client area's edges; a smaller area scrolls.
  void placeBars(QPoint clientOrigin, QRect clientRect);

  // A tick of the drag watch with the pointer where it is now.
  void dragWatchTick();
  void undoZoom();
  bool zoomed() const;
  // The cursor bar's and the scroll bar's state as the model has them.
  void refreshCursorBar();
  void syncScrollBar();
  QRubberBand* rubberBand() const { return rubberBand_; }
  // A hold test's window, band and minimum over the trace; none hides them.
  void setHoldMarks(std::optional<HoldMarks> marks);
  // The chart as the view draws it now, without the controls over it (for tests and
  // screenshots).
  QImage lastFrame() const;

 signals:
  // The client area changed size: the view and the bars in it must be placed again.
  void geometryChanged();
  // A port error of a key or the watchdog (empty: none), for the status bar.
  void portReported(const std::string& error);
  // The paint's layout found the cursors' texts changed (a cursor placed on a stopped run).
  void cursorsChanged();

 protected:
  void paintEvent(QPaintEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  void paintChart(QPainter& p) const;

  AppModel& model_;
  SerialPort& port_;
  ModelObserver& observer_;
  QWidget* client_;
  ClientEdge* statisticsEdge_;
  StatisticsBar* statisticsBar_;
  CursorBar* cursorBar_;
  ClientEdge* panelEdge_;
  FrontPanel* panel_;
  ChartScrollBar* scrollStrip_;
  QTimer dragWatch_;  // cancels a drag that leaves the plot
  QRubberBand* rubberBand_ = nullptr;
  // Where the view lies in the main window's client area: the time labels are
  // placed in the main window's coordinates.
  QPoint offsetInFrame_;
  std::optional<HoldMarks> holdMarks_;
};

}  // namespace pv::ui
