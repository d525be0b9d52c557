#pragma once
// The application object: reads the command line, makes the port (and with --demo
// the simulated meter), the shared model and the main window, and shows it.
#include <QObject>
#include <QString>
#include <memory>
#include <string>

namespace pv {
struct AppModel;
class PtyMeter;
class QtSerialPort;
}  // namespace pv

namespace pv::ui {

class MainWindow;

struct StartOptions {
  bool demo = false;         // use the built-in simulated meter
  std::string devicePath;    // use this device for the configured port, this run only
  bool showWindow = true;
  std::string configPath;    // empty: the user's configuration file
  QString error;             // set when the command line is wrong
  bool help = false;
  bool trace = false;        // print the link's traffic to standard error
};

StartOptions ParseCommandLine(const QStringList& arguments);
QString UsageText();

class MeterApp {
 public:
  explicit MeterApp(StartOptions options);
  ~MeterApp();

  // Builds everything; false (with errorString) when start-up must end.
  bool initInstance();
  QString errorString() const { return error_; }

  MainWindow* mainWindow() const { return frame_.get(); }
  AppModel& model() { return *model_; }
  QtSerialPort& port() { return *port_; }
  PtyMeter* demoMeter() const { return meter_.get(); }

 private:
  StartOptions options_;
  QString error_;
  std::unique_ptr<AppModel> model_;
  std::unique_ptr<PtyMeter> meter_;
  std::unique_ptr<QtSerialPort> port_;
  std::unique_ptr<MainWindow> frame_;
  std::unique_ptr<QObject> quitSignals_;
};

}  // namespace pv::ui
