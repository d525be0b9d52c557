// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: menus, toolbar, status bar and the main window's own commands
// (Run, Stop, PowerOff, help, close; the port menu is a PortMenu). It owns the chart
// view, which owns the bars, and it is the observer through which core changes reach
// widgets.

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model_observer.h"
#include "platform/settings_file.h"
#include "session/session_interfaces.h"
#include "ui/common/ui_constants.h"
#include "ui/window/dialogs.h"
#include "ui/window/port_menu.h"
#include "ui/window/status_message.h"

class QAction;
class QLabel;
class QToolBar;

namespace pv {
struct AppModel;
class RunJournal;
class SerialPort;
class SessionDriver;
}  // namespace pv

namespace pv::ui {

class ChartView;
class HelpWindow;
class MainHoldTest;
class WindowPublisher;

inline constexpr const char* kMainTitle = "Q5716 Pneuvista Software";
inline constexpr const char* kRunSaveQuestion =
    "There  are  datas  in  Real_Time  graph,  it  have  to  reset  the  graph. Do  you  want  to  save  the  "
    "Real_time  graph ? ";
inline constexpr const char* kCloseSaveQuestion = "Do you want to save? ";

// What the window's commands use of the program around it, given at construction.
struct WindowServices {
  UserPrompts prompts;             // the questions it leaves out are asked with dialogs
  std::function<bool()> saveRun;   // File > Save and the save questions; true once written
  std::function<std::string()> savedFile;  // the file the last save wrote, for the broker
  RunJournal* journal = nullptr;   // keeps each run until it is saved or given up; none when null
  // The device of a port number (the menus show it); by default the user's configuration.
  std::function<std::string(int)> pathOf;
  MeterSearch meterSearch;
};

class MainWindow : public QMainWindow, public ModelObserver, private SessionPrompts {
  Q_OBJECT
 public:
  // The port's notifications reach the session driver and reportPort through whoever
  // made the port (ConnectPortToWindow for the program's own).
  MainWindow(AppModel& model, SerialPort& port, SettingsFile settings, WindowServices services = {});
  ~MainWindow() override;

  ChartView* view() const { return view_; }
  QAction* action(WindowCommand command) const;
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* messagePane() const { return message_; }
  // The status bar's message.
  void showMessage(const QString& text) { message_->say(text); }
  // The help window once Help > Contents opened it, else null.
  HelpWindow* helpWindow() const { return help_; }
  // The meter session the window drives: its timers and the port's notification.
  SessionDriver& driver() const { return *driver_; }
  // The hold test's panel beside the chart and the live test.
  MainHoldTest& holdTest() const { return *holdTest_; }
  // What goes to the MQTT broker, and the status bar's pane that shows its state.
  WindowPublisher& publisher() const { return *publisher_; }

  // Brings menus and toolbar in line with the model (the command-enabling handlers).
  void updateCommandStates();
  // Runs a menu command by id as the user would.
  void runCommand(WindowCommand command);
  // The frame's client rectangle origin in window coordinates: the top of the toolbar
  // strip over the area that holds the chart and its bars, as far as it is scrolled.
  QPoint clientOrigin() const;
  // The client area the bars are laid out in: the chart's area with the toolbar strip
  // above and the status bar below.
  QRect clientRect() const;

  // The close sequence without quitting (the close event runs it, then quits): the
  // save question first, then the goodbye to the meter. False when the user kept the
  // program open; then nothing was written or sent.
  bool closeSequence();
  // A command's port error in the message pane ("Ready" when there was none).
  void reportPort(const std::string& error);

  // ModelObserver
  void panelFieldChanged(PanelField field) override;
  void panelChanged() override;
  void statisticsChanged() override;
  void cursorBarChanged() override;
  void chartAndCommandsChanged() override;
  void invalidateChart(bool erase) override;
  void commandsChanged() override;
  void runEndedByItself(RunEnd cause) override;
  void runNotJournaled(const std::string& why) override;
  void runStarted() override;
  void sampleCommitted() override;
  void holdTestChanged(bool ended) override;

 signals:
  // Commands the files, logger and printing code carry out.
  void printRequested();      // File > Print
  void openRequested();       // File > Open
  void exportRequested();     // the statistics bar's Export Excel
  void loggerRequested();     // the statistics bar's Open

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createMenus(MeterSearch meterSearch);
  void createToolBar();
  void createStatusBar();
  QAction* addCommand(QMenu* menu, const QString& caption, WindowCommand command, std::function<void()> handler);
  std::string devicePath(int number) const;
  void onRun();
  void onStop();
  void onPowerOff();
  void onHelp();
  void onAbout();
  void connectSession();
  // Publishing: the File menu's dialog, the status bar's pane, the readings and the saves.
  void connectPublisher(std::function<std::string()> savedFile);
  // SessionPrompts: Run's and the close's questions and dialogs.
  SaveAnswer askToSave(SaveQuestion question) override;
  bool saveRun() override;
  std::optional<int> askInterval(int preset) override;
  // Places the bars around the chart in the client area; the chart view asks after
  // every change of its geometry.
  void placeBars();
  // A close that comes while a dialog is open; true when it was put off.
  bool putOffCloseForDialog();

  AppModel& model_;
  SerialPort& port_;
  SettingsFile settings_;
  UserPrompts prompts_;
  std::function<bool()> saveRun_;
  std::function<std::string(int)> pathOf_;
  PortMenu* portMenu_ = nullptr;
  QWidget* client_ = nullptr;  // the scrolled area under the toolbar
  ChartView* view_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  StatusMessage* message_ = nullptr;
  HelpWindow* help_ = nullptr;
  std::map<WindowCommand, QAction*> actions_;
  bool shownOnce_ = false;
  bool closing_ = false;
  bool closeSequenceRunning_ = false;
  // The status bar holds a notice (why the run ended, a run not journaled) until the
  // next command.
  bool runEndShown_ = false;
  SessionDriver* driver_ = nullptr;
  MainHoldTest* holdTest_ = nullptr;
  WindowPublisher* publisher_ = nullptr;
};

}  // namespace pv::ui
