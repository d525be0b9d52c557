// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test in the main window: the panel docked beside the chart, the analysis of
// the window between the cursors (or of the whole run), the live test armed on the
// going run through the meter session, and the marks it puts on the chart.
#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "holdtest/hold_record.h"
#include "ui/print/print_command.h"

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
  // configPath: the configuration file that keeps the record's last values; runFile
  // gives the data file the run on show was saved to (empty before a save).
  MainHoldTest(AppModel& model, MeterSession& session, ChartView& view, QMainWindow& window,
               std::string configPath, std::function<std::string()> runFile = {});

  QDockWidget* dock() const { return dock_; }
  HoldTestPanel* panel() const { return panel_; }
  bool shown() const;
  // The Hold Test command: shows the panel, or hides it when shown.
  void toggle();

  // The run's samples, its phase or the cursors changed: the panel follows.
  void runChanged();
  // The live test took a sample, was armed, taken off or ended.
  void liveChanged(bool ended);

  // The cursors were placed or moved: with both placed and no live test going, the
  // panel judges their window.
  void cursorsChanged();

  // The test on show, which Save, Export and Print record… take: the live test once it
  // took a sample while the panel has it chosen (whether shown or not), otherwise the
  // panel's window of the run while the panel is shown; none otherwise.
  std::optional<HoldTestFile> testOfRun() const;
  // Prints the record of the test on show (tests answer the print dialog themselves).
  void printRecord(const AskWhereToPrint& ask);
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
  std::function<std::string()> runFile_;
  HoldRecord record_;
  HoldCriteria shownCriteria_;
  HoldOutcome shownOutcome_;
};

}  // namespace pv::ui
