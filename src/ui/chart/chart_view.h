#pragma once
// The chart view: the hub of the main window's client area. It owns the sample
// timer, the link watchdog and the drag watch, creates the five bars around the
// chart beside it in the client area and places them on every resize of that area.
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
  // client: the scrolled area under the toolbar that holds the view and the bars.
  ChartView(AppModel& model, SerialPort& port, ModelObserver& observer, QWidget* mainWindow, QWidget* client);

  StatisticsBar* statisticsBar() const { return statisticsBar_; }
  CursorBar* cursorBar() const { return cursorBar_; }
  FrontPanel* panel() const { return panel_; }
  ChartScrollBar* scrollStrip() const { return scrollStrip_; }
  QWidget* spacerBar() const { return spacer_; }

  // Arms the sample timer and the link watchdog (first tick after 3 s).
  void initialUpdate();
  // Re-arms the sample timer with a new period.
  void armSampleTimer(int periodMs);
  // Places the view and the bars in the client area, at least as large as every
  // control needs.
  void placeBars();

  // Stops the sample timer and the link watchdog for good: the program is closing.
  void stopTimers();
  int sampleTimerPeriod() const { return sampleTimer_.isActive() ? sampleTimer_.interval() : -1; }
  bool linkWatchdogArmed() const { return linkWatchdog_.isActive(); }
  // Runs one tick of each timer at once (tests drive time this way).
  void sampleTick();
  void watchdogTick();

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
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  AppModel& model_;
  SerialPort& port_;
  ModelObserver& observer_;
  QWidget* mainWindow_;
  QWidget* client_;
  ClientEdge* statisticsEdge_;
  StatisticsBar* statisticsBar_;
  CursorBar* cursorBar_;
  ClientEdge* panelEdge_;
  FrontPanel* panel_;
  QWidget* spacer_;
  ChartScrollBar* scrollStrip_;
  QTimer sampleTimer_;    // commits a sample every interval
  QTimer linkWatchdog_;   // notices a silent meter
  QTimer dragWatch_;      // cancels a drag that leaves the plot
  QRubberBand* rubberBand_ = nullptr;
  QImage frame_;
  // Where the view lies in the main window's client area, below the toolbar strip:
  // the time labels are placed in the main window's coordinates.
  QPoint offsetInFrame() const;
  // A port error of a key or the watchdog, shown as the main window shows its own.
  void reportPort(const std::string& error);
};

}  // namespace pv::ui
