#pragma once
// The main window: menus, toolbar, status bar and the main window's own commands
// (Run, Stop, port choice, PowerOff, help, close). It owns the chart view, which
// owns the bars, and it is the observer through which core changes reach widgets.

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model_observer.h"
#include "platform/journal_sync.h"
#include "ui/common/ui_constants.h"

class QAction;
class QLabel;
class QToolBar;

namespace pv {
struct AppModel;
class QtSerialPort;
class MeterProbe;
class RunJournal;
class SerialPort;
}  // namespace pv

namespace pv::ui {

class ChartView;
class HelpWindow;

inline constexpr const char* kMainTitle = "Q5716 Pneuvista Software";
inline constexpr const char* kRunSaveQuestion =
    "There  are  datas  in  Real_Time  graph,  it  have  to  reset  the  graph. Do  you  want  to  save  the  "
    "Real_time  graph ? ";
inline constexpr const char* kCloseSaveQuestion = "Do you want to save? ";

// The answers to the save questions put before Run resets the chart and when the window
// closes. Escape, or closing the question box, cancels the command that asked.
enum class SaveAnswer { Save, DontSave, Cancel };

// Questions and dialogs the commands put to the user; tests replace them.
struct UserPrompts {
  // Run's and the close's save questions, told apart by their text.
  std::function<SaveAnswer(const QString& question)> askToSave;
  std::function<bool(int preset, int* value)> askSampleRate;
  std::function<bool(int preset, int* value)> askPortNumber;
  // COM Port > Find meter: the meters found; returns the index chosen, -1 for none. An
  // empty list only says that no meter was found.
  std::function<int(const QStringList& meters)> askMeter;
};

// Where COM Port > Find meter looks besides the devices the system lists; tests
// point it at a simulated meter.
struct MeterSearch {
  std::string stableFolder = "/dev/serial/by-id";
  std::vector<std::string> extraPaths;
};

// File commands that live with the files, logger and printing code.
struct FileCommands {
  std::function<bool()> saveRun;       // File > Save and the save questions; true once written
  std::function<void()> print;         // File > Print
  std::function<void()> documentSave;  // Ctrl+S
  std::function<void()> documentOpen;  // Ctrl+O
  std::function<void()> exportExcel;   // the statistics bar's Export Excel
  std::function<void()> openLogger;    // the statistics bar's Open
};

class MainWindow : public QMainWindow, public ModelObserver {
  Q_OBJECT
 public:
  // qtPort, when given, is the same port as port: its notifications and device paths
  // reach the window. Tests pass a recording port alone.
  // pathOf names the device of a port number (the menus show it); by default the
  // user's configuration decides.
  MainWindow(AppModel& model, SerialPort& port, QtSerialPort* qtPort, std::string configPath,
             std::function<std::string(int)> pathOf = {});
  ~MainWindow() override;

  ChartView* view() const { return view_; }
  QAction* action(Command command) const;
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* messagePane() const { return message_; }
  // The help window once Help > Contents opened it, else null.
  HelpWindow* helpWindow() const { return help_; }
  UserPrompts prompts;
  MeterSearch meterSearch;
  FileCommands files;
  // The journal that keeps each run until it is saved or given up; none when null.
  RunJournal* journal = nullptr;

  // Brings menus and toolbar in line with the model (the command-enabling handlers).
  void updateCommandStates();
  // Runs a menu command by id as the user would.
  void runCommand(Command command);
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
  // The port's receive notification.
  void onReceive();
  // A command's port error in the message pane ("Ready" when there was none).
  void reportPort(const std::string& error);

  // ModelObserver
  void panelFieldChanged(PanelField field) override;
  void panelChanged() override;
  void statisticsChanged() override;
  void cursorBarChanged() override;
  void updateAllViews() override;
  void invalidateChart(bool erase) override;
  void commandsChanged() override;
  void armSampleTimer(int periodMs) override;
  void runEndedByItself(RunEnd cause) override;
  void runStarted() override;
  void sampleCommitted() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createMenus();
  void createToolBar();
  void createStatusBar();
  QAction* addCommand(QMenu* menu, const QString& caption, Command command, std::function<void()> handler);
  std::string devicePath(int number) const;
  void onFindMeter();
  void onMeterProbeDone();
  void reopenCurrentPort();
  void onRun();
  void onStop();
  void onPowerOff();
  void onChoosePort(int k);
  void onOtherPort();
  void onHelp();
  void onAbout();
  void refreshPortCaptions();
  void reportNotJournaled(const std::string& why);

  AppModel& model_;
  SerialPort& port_;
  QtSerialPort* qtPort_;
  std::string configPath_;
  std::function<std::string(int)> pathOf_;
  MeterProbe* probe_ = nullptr;  // while Find meter listens
  QWidget* client_ = nullptr;  // the scrolled area under the toolbar
  ChartView* view_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* message_ = nullptr;
  HelpWindow* help_ = nullptr;
  std::map<Command, QAction*> actions_;
  bool initialUpdateDone_ = false;
  bool closing_ = false;
  // The status bar holds a notice (why the run ended, a run not journaled) until the
  // next command.
  bool runEndShown_ = false;
  JournalSync journalSync_{[this](const std::string& why) { reportNotJournaled(why); }};
};

}  // namespace pv::ui
