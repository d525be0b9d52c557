#pragma once
// The application object: reads the command line, makes the port, the shared model
// and the main window, and shows it. For --demo the program's main() starts the
// simulated meter and hands its device over (see apps/demo_meter.h).
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "files/file_folders.h"
#include "files/run_recovery.h"

namespace pv {
struct AppModel;
class QtSerialPort;
}  // namespace pv

namespace pv::ui {

class MainWindow;

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
  explicit MeterApp(StartOptions options);
  ~MeterApp();

  // Builds everything; false (with errorString) when start-up must end.
  bool initInstance();
  QString errorString() const { return error_; }

  MainWindow* mainWindow() const { return window_.get(); }
  AppModel& model() { return *model_; }
  QtSerialPort& port() { return *port_; }

  // The question per unsaved run at start; tests replace it.
  std::function<RecoveryAnswer(const QString& question)> askRecovery;

 private:
  void connectFileCommands();
  // Once the window is up: each run a kill or a crash left unsaved is offered back.
  void offerRecovery();
  // Writes the file dialogs' folders to the configuration file when they changed.
  void keepFolders();

  StartOptions options_;
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
