// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/meter_app.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStringList>
#include <QTimer>

#include <cstdio>

#include "app_model.h"
#include "driver/session_driver.h"
#include "platform/config_file.h"
#include "platform/qt_serial_port.h"
#include "platform/quit_signals.h"
#include "ui/files/file_commands.h"
#include "ui/holdtest/main_hold_test.h"
#include "ui/logger/graph_window.h"
#include "ui/print/print_command.h"
#include "ui/window/main_window.h"

namespace pv::ui {

QString UsageText() {
  return QStringLiteral(
      "Usage: pneuvista [--demo | --device PATH] [FILE.KvtDat]\n"
      "The desktop companion of a hand-held digital pressure meter on a serial line: its front panel,\n"
      "a live strip chart of its readings, data-logger files, export and printing.\n\n"
      "  FILE.KvtDat    show this data-logger file in the Graph window\n"
      "  --demo         use the built-in simulated meter for this run\n"
      "  --device PATH  use this serial device for the configured port, this run only\n"
      "  --trace        print readings received, files opened and commands the simulated meter saw\n"
      "  -h, --help     print this help and exit\n"
      "  --version      print the program's version and exit\n");
}

StartOptions ParseCommandLine(const QStringList& arguments) {
  StartOptions o;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QStringLiteral("--demo")) {
      o.demo = true;
    } else if (a == QStringLiteral("--device") && i + 1 < arguments.size()) {
      o.devicePath = arguments[++i].toStdString();
    } else if (a.startsWith(QStringLiteral("--device="))) {
      o.devicePath = a.mid(9).toStdString();
    } else if (a == QStringLiteral("--trace")) {
      o.trace = true;
    } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
      o.help = true;
    } else if (a == QStringLiteral("--version")) {
      o.version = true;
    } else if (!a.startsWith(QLatin1Char('-')) && o.documentPath.isEmpty()) {
      o.documentPath = a;
    } else if (!a.startsWith(QLatin1Char('-'))) {
      o.error = QStringLiteral("more than one file given: %1").arg(a);
    } else {
      o.error = QStringLiteral("unknown argument: %1").arg(a);
    }
  }
  if (o.demo && !o.devicePath.empty()) o.error = QStringLiteral("--demo and --device exclude each other");
  return o;
}

MeterApp::MeterApp(StartOptions options, UserPrompts prompts)
    : options_(std::move(options)), prompts_(std::move(prompts)) {}

MeterApp::~MeterApp() {
  window_.reset();
  port_.reset();
}

void ConnectPortToWindow(QtSerialPort& port, MainWindow& window) {
  QObject::connect(&port, &QtSerialPort::dataReceived, &window.driver(), &SessionDriver::receive);
  QObject::connect(&port, &QtSerialPort::portLost, &window,
                   [&window](const QString& reason) { window.reportPort(reason.toStdString()); });
}

bool MeterApp::start() {
  model_ = std::make_unique<AppModel>();
  const std::string config = options_.configPath.empty() ? ConfigFilePath() : options_.configPath;
  configPath_ = config;
  model_->folders = keptFolders_ = ReadFileFolders(config);
  const std::string runDevice = options_.devicePath;
  if (options_.demo && runDevice.empty()) {
    error_ = QStringLiteral("The simulated meter was not started");
    return false;
  }
  // --demo and --device stand in for the configured port's device in this run only;
  // the configuration file is not changed.
  const int configured = ReadComPort(config);
  auto pathOf = [configured, runDevice](int n) {
    return n == configured && !runDevice.empty() ? runDevice : ConfiguredPortPath(n);
  };
  port_ = std::make_unique<QtSerialPort>(pathOf);
  journal_ = std::make_unique<RunJournal>(options_.stateFolder.empty() ? DefaultJournalFolder() : options_.stateFolder);
  WindowServices services;
  services.prompts = prompts_;
  services.saveRun = [this] { return saveRun(); };
  services.savedFile = [this] { return fileCommands_->savedPath(); };
  services.journal = journal_.get();
  services.pathOf = pathOf;
  window_ = std::make_unique<MainWindow>(*model_, *port_, SettingsFile(config, options_.demo ? runDevice : ""),
                                         std::move(services));
  ConnectPortToWindow(*port_, *window_);
  if (options_.trace) {
    QObject::connect(port_.get(), &QtSerialPort::dataReceived, window_.get(), [this] {
      std::fprintf(stderr, "reading %s %s\n", model_->panel.reading.c_str(), model_->panel.unit.c_str());
    }, Qt::QueuedConnection);
  }
  connectFileCommands();
  // Ctrl+C and SIGTERM end the program through the normal close sequence.
  auto* quit = new QuitSignals();
  QObject::connect(quit, &QuitSignals::quitRequested, window_.get(), [this] { window_->close(); });
  quitSignals_.reset(quit);
  if (options_.showWindow) {
    // Without a window manager "maximised" means nothing: take the screen's size first.
    if (QScreen* screen = QGuiApplication::primaryScreen()) window_->setGeometry(screen->availableGeometry());
    window_->showMaximized();
  }
  if (config.empty()) {
    // Said once here; the writers at exit and elsewhere then write nothing.
    const QString why = QString::fromStdString(NoConfigFolderMessage());
    std::fprintf(stderr, "pneuvista: %s\n", qPrintable(why));
    window_->showMessage(why);
  }
  // After the window is up, so that the question stands over it.
  QTimer::singleShot(0, window_.get(), [this] { offerRecovery(); });
  return true;
}

void MeterApp::offerRecovery() {
  const UserPrompts prompts = WithDialogs(prompts_, window_.get());
  for (const UnsavedJournal& unsaved : FindUnsavedJournals(journal_->folder())) {
    const RecoveryAnswer answer = prompts.askRecovery(QString::fromStdString(RecoveryQuestion(unsaved)));
    const RecoveryStep step = window_->driver().session().recover(unsaved, answer);
    if (!step.problem.empty()) window_->showMessage(QString::fromStdString(step.problem));
    if (!step.askNext) break;
  }
  window_->updateCommandStates();
}

bool MeterApp::saveRun() {
  const bool saved = fileCommands_->saveRun();
  keepFolders();
  // A Save that failed or was cancelled keeps the journal: it may be all there is.
  if (saved) journal_->runSaved(*model_);
  return saved;
}

void MeterApp::connectFileCommands() {
  fileCommands_ = new RunFileCommands(*model_, window_.get());
  MainWindow* window = window_.get();
  fileCommands_->holdTestOfRun = [window] { return window->holdTest().testOfRun(); };
  // Every command that may run a file dialog keeps the folder it was left in.
  QObject::connect(window, &MainWindow::exportRequested, window, [this] {
    fileCommands_->exportExcel();
    keepFolders();
  });
  QObject::connect(window, &MainWindow::openRequested, window, [this] {
    fileCommands_->documentOpen();
    keepFolders();
  });
  QObject::connect(window, &MainWindow::printRequested, window, [this] { PrintPressureGraph(*model_, window_.get()); });
  // The logger window passes Print on to the main window, which prints the logger graph
  // while the window is open.
  QObject::connect(window, &MainWindow::loggerRequested, window, [this] { showLoggerGraph(); });
  if (options_.documentPath.isEmpty()) return;
  // Once the window is up, so that a message about the file stands over it.
  const QString path = options_.documentPath;
  QTimer::singleShot(0, window, [this, path] {
    const bool loaded = fileCommands_->openDocument(path);
    if (!loaded) return;
    if (options_.trace) std::fprintf(stderr, "opened %s: %d records\n", qPrintable(path), model_->logger.recordCount);
    // A file opened from a file manager is there to be looked at: show it in the Graph
    // window, as the Open button would after loading it.
    if (options_.showWindow) showLoggerGraph();
  });
}

void MeterApp::showLoggerGraph() {
  RunLoggerGraph(*model_, window_.get(), [this] { PrintPressureGraph(*model_, window_.get()); }, configPath_);
  keepFolders();
}

void MeterApp::keepFolders() {
  if (model_->folders == keptFolders_) return;
  // Remembering folders is a convenience: a file that cannot be written costs the user
  // nothing but a dialog that starts elsewhere next time, so it is not reported.
  if (WriteFileFolders(configPath_, model_->folders).empty()) keptFolders_ = model_->folders;
}

void PreferQtEventDispatcher() {
  if (qEnvironmentVariableIsSet("QT_NO_GLIB")) return;
  if (qEnvironmentVariable("QT_QPA_PLATFORMTHEME").contains(QLatin1String("gtk"), Qt::CaseInsensitive)) return;
  qputenv("QT_NO_GLIB", "1");
}

}  // namespace pv::ui
