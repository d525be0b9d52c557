// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: reads the command line, makes the port, the shared model
// and the main window, and shows it. For --demo the program's main() starts the
// simulated meter and hands its device over (see apps/demo_meter.h).
#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "files/file_folders.h"
#include "files/run_recovery.h"
#include "ui/window/dialogs.h"

namespace pv {
struct AppModel;
class QtSerialPort;
}  // namespace pv

namespace pv::ui {

class MainWindow;
class RunFileCommands;

// The port's notifications (data received, the device lost) reach the window.
void ConnectPortToWindow(QtSerialPort& port, MainWindow& window);

struct StartOptions {
  bool demo = false;         // use the built-in simulated meter (its device in devicePath)
  std::string devicePath;    // use this device for the configured port, this run only
  bool showWindow = true;
  std::string configPath;    // empty: the user's configuration file
  QString error;             // set when the command line is wrong
  bool help = false;
  bool version = false;
  bool trace = false;        // print the link's traffic to standard error
  QString documentPath;      // a data-logger file to open as document open does
  std::string stateFolder;   // the runs' journals; empty: the user's state folder
};

StartOptions ParseCommandLine(const QStringList& arguments);

// To be called before the QApplication is made. The program wakes up for every frame
// the meter sends, 87 times a second, and Qt's own event dispatcher does less per
// wake-up than its GLib one, so it is chosen (QT_NO_GLIB) unless the user set
// QT_NO_GLIB or asked for a GTK platform theme, whose native dialogs need GLib's loop.
void PreferQtEventDispatcher();
QString UsageText();

class MeterApp {
 public:
  // prompts: the questions tests answer; the others are asked with dialogs.
  explicit MeterApp(StartOptions options, UserPrompts prompts = {});
  ~MeterApp();

  // Builds everything; false (with errorString) when start-up must end.
  bool start();
  QString errorString() const { return error_; }

  MainWindow* mainWindow() const { return window_.get(); }
  AppModel& model() { return *model_; }
  QtSerialPort& port() { return *port_; }

 private:
  void connectFileCommands();
  bool saveRun();
  // The Graph window over the main window, its Print printing the logger graph.
  void showLoggerGraph();
  // Once the window is up: each run a kill or a crash left unsaved is offered back.
  void offerRecovery();
  // Writes the file dialogs' folders to the configuration file when they changed.
  void keepFolders();

  StartOptions options_;
  UserPrompts prompts_;
  RunFileCommands* fileCommands_ = nullptr;  // a child of the window
  QString error_;
  std::unique_ptr<AppModel> model_;
  std::unique_ptr<QtSerialPort> port_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<RunJournal> journal_;
  std::unique_ptr<QObject> quitSignals_;
  std::string configPath_;
  FileFolders keptFolders_;
};

}  // namespace pv::ui
