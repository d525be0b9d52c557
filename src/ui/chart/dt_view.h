#pragma once
// The chart view: the hub of the main window's client area. It owns the sample
// timer, the link watchdog and the drag watch, creates the five bars around the
// chart as children of the main window and places them on every resize.
#include <QTimer>
#include <QWidget>
#include <functional>

namespace pv {
struct AppModel;
class SerialPort;
class ModelObserver;
}  // namespace pv

namespace pv::ui {

class CCursorBar;
class CGraphScrollBar;
class CMeterPanel;
class CRealTimeBar;

class CDTView : public QWidget {
  Q_OBJECT
 public:
  CDTView(AppModel& model, SerialPort& port, ModelObserver& observer, QWidget* mainWindow);

  CRealTimeBar* realTimeBar() const { return realTimeBar_; }
  CCursorBar* cursorBar() const { return cursorBar_; }
  CMeterPanel* panel() const { return panel_; }
  CGraphScrollBar* scrollStrip() const { return scrollStrip_; }
  QWidget* spacerBar() const { return spacer_; }

  // Arms timer 1 (sample commit) and timer 2 (watchdog, first tick after 3 s).
  void initialUpdate();
  // Re-arms timer 1 with a new period.
  void armSampleTimer(int periodMs);
  // Places the bars in the main window's client area (origin below its menu bar).
  void placeBars();

  int sampleTimerPeriod() const { return sampleTimer_.isActive() ? sampleTimer_.interval() : -1; }
  // Runs one tick of each timer at once (tests drive time this way).
  void sampleTick();
  void watchdogTick();

  // The chart's painter, set by the chart code; without it the view shows its face.
  std::function<void(QWidget&)> paintChart;
  // Whether a rubber-band drag is in progress (the sample timer then leaves the chart alone).
  std::function<bool()> rubberBandActive;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  AppModel& model_;
  SerialPort& port_;
  ModelObserver& observer_;
  QWidget* mainWindow_;
  CRealTimeBar* realTimeBar_;
  CCursorBar* cursorBar_;
  CMeterPanel* panel_;
  QWidget* spacer_;
  CGraphScrollBar* scrollStrip_;
  QTimer sampleTimer_;    // timer 1
  QTimer watchdogTimer_;  // timer 2
};

}  // namespace pv::ui
