#pragma once
// The chart view: the hub of the main window's client area. It owns the drag watch,
// creates the five bars around the chart as children of the main window and places
// them on every resize.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

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
  ChartView(AppModel& model, SerialPort& port, ModelObserver& observer, QWidget* mainWindow);

  StatisticsBar* statisticsBar() const { return statisticsBar_; }
  CursorBar* cursorBar() const { return cursorBar_; }
  FrontPanel* panel() const { return panel_; }
  ChartScrollBar* scrollStrip() const { return scrollStrip_; }
  QWidget* spacerBar() const { return spacer_; }

  // The first show: the chart painted and the bars placed.
  void initialUpdate();
  // Places the bars in the main window's client area (origin below its menu bar).
  void placeBars();

  // A tick of the drag watch with the pointer where it is now.
  void dragWatchTick();
  void undoZoom();
  bool zoomed() const;
  // The cursor bar's and the scroll bar's state as the model has them.
  void transferCursorBar();
  void syncScrollBar();
  QRubberBand* rubberBand() const { return rubberBand_; }
  // The last frame as drawn (for tests and screenshots).
  const QImage& lastFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  AppModel& model_;
  SerialPort& port_;
  ModelObserver& observer_;
  QWidget* mainWindow_;
  ClientEdge* statisticsEdge_;
  StatisticsBar* statisticsBar_;
  CursorBar* cursorBar_;
  ClientEdge* panelEdge_;
  FrontPanel* panel_;
  QWidget* spacer_;
  ChartScrollBar* scrollStrip_;
  QTimer dragWatch_;  // cancels a drag that leaves the plot
  QRubberBand* rubberBand_ = nullptr;
  QImage frame_;
  // Where the view lies in the main window's client area: the time labels are
  // placed in the main window's coordinates.
  QPoint offsetInFrame() const;
  // A port error of a key or the watchdog, shown as the main window shows its own.
  void reportPort(const std::string& error);
};

}  // namespace pv::ui
