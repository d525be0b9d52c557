// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test in the main window: the panel docked beside the chart, the analysis of
// the window between the cursors (or of the whole run), the live test armed on the
// going run through the meter session, and the marks it puts on the chart.
#include <QObject>
#include <optional>
#include <string>

#include "holdtest/hold_record.h"

class QDockWidget;
class QMainWindow;

namespace pv {
struct AppModel;
class MeterSession;
}  // namespace pv

namespace pv::ui {

class ChartView;
class HoldTestPanel;

class MainHoldTest : public QObject {
  Q_OBJECT
 public:
  // configPath: the configuration file that keeps the record's last values.
  MainHoldTest(AppModel& model, MeterSession& session, ChartView& view, QMainWindow& window,
               std::string configPath);

  QDockWidget* dock() const { return dock_; }
  HoldTestPanel* panel() const { return panel_; }
  bool shown() const;
  // The Hold Test command: shows the panel, or hides it when shown.
  void toggle();

  // The run's samples, its phase or the cursors changed: the panel follows.
  void runChanged();
  // The live test took a sample, was armed, taken off or ended.
  void liveChanged(bool ended);

  // The test that goes with the run when it is saved: a live test that took a sample,
  // or the panel's analysis while it is shown; none otherwise.
  std::optional<HoldTestFile> testOfRun() const;
  HoldRecord& record() { return record_; }

 signals:
  // A live test ended; the status bar says so.
  void liveTestEnded(const QString& text);

 private:
  HoldCriteria windowCriteria() const;
  void analyse();

  AppModel& model_;
  MeterSession& session_;
  ChartView& view_;
  QMainWindow& window_;
  QDockWidget* dock_;
  HoldTestPanel* panel_;
  std::string configPath_;
  HoldRecord record_;
  HoldCriteria shownCriteria_;
  HoldOutcome shownOutcome_;
};

}  // namespace pv::ui
