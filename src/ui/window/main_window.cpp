// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QThread>
#include <QWindow>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <cstdio>
#include <ctime>

#include "app_model.h"
#include "chart/acquisition.h"
#include "chart/command_availability.h"
#include "driver/session_driver.h"
#include "link/port_commands.h"
#include "link/link.h"
#include "platform/port_paths.h"
#include "ui/chart/cursor_bar.h"
#include "ui/chart/chart_view.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"
#include "ui/chart/statistics_bar.h"
#include "ui/help/help_window.h"
#include "ui/holdtest/main_hold_test.h"
#include "ui/publish/window_publisher.h"
#include "ui/window/save_question.h"
#include "ui/window/dialogs.h"
#include "ui/panel/front_panel.h"

namespace pv::ui {
namespace {

// How soon a close put off for a dialog looks again whether the dialog is gone.
constexpr int kCloseRetryMs = 50;

}  // namespace

MainWindow::MainWindow(AppModel& model, SerialPort& port, SettingsFile settings, WindowServices services)
    : model_(model),
      port_(port),
      settings_(std::move(settings)),
      prompts_(WithDialogs(std::move(services.prompts), this)),
      saveRun_(std::move(services.saveRun)),
      pathOf_(std::move(services.pathOf)),
      driver_(new SessionDriver(model_, port_, nullptr, *this, services.journal, this)) {
  if (!pathOf_) pathOf_ = [](int n) { return ConfiguredPortPath(n); };
  setWindowTitle(QString::fromLatin1(kMainTitle));
  setWindowIcon(AppIcon());

  // Creation, in the order the window is built: configuration, toolbar, port, status bar.
  model_.flags.initialise(settings_.portNumber());
  createMenus(std::move(services.meterSearch));
  createToolBar();
  createStatusBar();
  reportPort(driver_->session().greet());

  // The chart and its bars fill the area under the toolbar; a window too small for
  // every control scrolls over them instead of cutting any off.
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  client_ = new QWidget;
  client_->setObjectName(QStringLiteral("ClientArea"));
  scroll->setWidget(client_);
  setCentralWidget(scroll);
  view_ = new ChartView(model_, port_, *this, client_);
  holdTest_ = new MainHoldTest(model_, driver_->session(), *view_, *this, settings_.path(), services.savedFile);
  connect(holdTest_, &MainHoldTest::liveTestEnded, this, [this](const QString& text) {
    showMessage(text);
    runEndShown_ = true;
  });
  connectPublisher(services.savedFile);
  connectSession();
  connect(view_, &ChartView::geometryChanged, this, &MainWindow::placeBars);
  connect(view_, &ChartView::portReported, this, &MainWindow::reportPort);
  connect(view_->statisticsBar(), &StatisticsBar::exportClicked, this, &MainWindow::exportRequested);
  connect(view_->statisticsBar(), &StatisticsBar::openClicked, this, &MainWindow::loggerRequested);
  updateCommandStates();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addCommand(QMenu* menu, const QString& caption, WindowCommand command,
                                 std::function<void()> handler) {
  auto* a = new QAction(caption, this);
  connect(a, &QAction::triggered, this, [this, handler = std::move(handler)] {
    runEndShown_ = false;
    if (handler) handler();
  });
  if (menu) menu->addAction(a);
  actions_[command] = a;
  return a;
}

void MainWindow::createMenus(MeterSearch meterSearch) {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File(f)"));
  addCommand(file, QStringLiteral("&Save"), WindowCommand::SaveRun, [this] {
    if (saveRun_) saveRun_();
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  addCommand(file, QStringLiteral("&Open\u2026"), WindowCommand::OpenDocument, [this] { emit openRequested(); })
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  addCommand(file, QStringLiteral("&Print"), WindowCommand::Print, [this] { emit printRequested(); })
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  file->addAction(QStringLiteral("P&ublish\u2026"), this, [this] { publisher_->editSettings(this); });
  file->addSeparator();
  addCommand(file, QStringLiteral("&Exit"), WindowCommand::Exit, [this] { close(); })
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  // Run and Stop take function keys: the letters belong to the meter's keys (HOLD,
  // REC, LIGHT, ZERO, UNITS, DIF).
  QMenu* realTime = menuBar()->addMenu(QStringLiteral("&RealTime(R)"));
  addCommand(realTime, QStringLiteral("&Run"), WindowCommand::Run, [this] { onRun(); })->setShortcut(Qt::Key_F5);
  addCommand(realTime, QStringLiteral("&Stop"), WindowCommand::Stop, [this] { onStop(); })
      ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
  addCommand(realTime, QStringLiteral("&UndoZoom"), WindowCommand::UndoZoom, [this] {
    view_->undoZoom();
    updateCommandStates();
  });
  addCommand(realTime, QStringLiteral("&PowerOff"), WindowCommand::PowerOff, [this] { onPowerOff(); });
  realTime->addSeparator();
  addCommand(realTime, QStringLiteral("&Hold Test"), WindowCommand::HoldTest, [this] { holdTest_->toggle(); })
      ->setShortcut(Qt::Key_F7);

  QMenu* ports = menuBar()->addMenu(QStringLiteral("&COM Port"));
  portMenu_ = new PortMenu(ports, model_, port_, *this, settings_, pathOf_, prompts_, std::move(meterSearch), this);
  connect(ports, &QMenu::triggered, this, [this] { runEndShown_ = false; });
  connect(portMenu_, &PortMenu::portReported, this, &MainWindow::reportPort);
  connect(portMenu_, &PortMenu::searchChanged, this, [this](bool searching) {
    if (searching) statusBar()->showMessage(QStringLiteral("Looking for the meter..."));
    else statusBar()->clearMessage();
  });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help(H)"));
  addCommand(help, QStringLiteral("&About"), WindowCommand::About, [this] { onAbout(); });
  addCommand(help, QStringLiteral("&Contents"), WindowCommand::HelpContents, [this] { onHelp(); })
      ->setShortcut(Qt::Key_F1);

  QAction* computer = addCommand(nullptr, QStringLiteral("&Computer Command"), WindowCommand::ComputerCommand, nullptr);
  computer->setEnabled(false);
  menuBar()->addAction(computer);

  // An accelerator that is not on a menu item.
  addCommand(nullptr, QStringLiteral("New"), WindowCommand::NewDocument, nullptr)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  addAction(actions_[WindowCommand::NewDocument]);
}

std::string MainWindow::devicePath(int number) const { return pathOf_(number); }

void MainWindow::createToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Main"));
  toolBar_->setObjectName(QStringLiteral("mainToolBar"));
  // With its gripper it docks on every side of the window or floats on its own.
  toolBar_->setMovable(true);
  toolBar_->setFloatable(true);
  toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
  toolBar_->setIconSize(QSize(16, 15));
  // The bars are placed below a 30-pixel strip; docked at a side the toolbar stands
  // upright at that thickness.
  auto fitToolBar = [bar = toolBar_](Qt::Orientation orientation) {
    const bool across = orientation == Qt::Horizontal;
    bar->setMinimumSize(across ? 0 : kToolBarThickness, across ? kToolBarThickness : 0);
    bar->setMaximumSize(across ? QWIDGETSIZE_MAX : kToolBarThickness,
                        across ? kToolBarThickness : QWIDGETSIZE_MAX);
  };
  fitToolBar(toolBar_->orientation());
  connect(toolBar_, &QToolBar::orientationChanged, this, fitToolBar);
  const QStyle* s = style();
  struct Button {
    WindowCommand command;
    QIcon icon;
    const char* tip;
  };
  const Button buttons[] = {
      {WindowCommand::SaveRun, ThemeIcon("document-save", QStyle::SP_DialogSaveButton, s), "Save"},
      {WindowCommand::Print, ThemeIcon("document-print", QStyle::SP_FileDialogDetailedView, s), "Print"},
      {WindowCommand::Run, ThemeIcon("media-playback-start", QStyle::SP_MediaPlay, s), "Start"},
      {WindowCommand::Stop, ThemeIcon("media-playback-stop", QStyle::SP_MediaStop, s), "Stop"},
      {WindowCommand::UndoZoom, ThemeIcon("zoom-original", QStyle::SP_ArrowBack, s), "UndoZoom"},
      {WindowCommand::PowerOff, PowerSymbolIcon(), "PowerOff"},
      {WindowCommand::HoldTest, ThemeIcon("task-complete", QStyle::SP_DialogApplyButton, s), "Hold Test"},
      {WindowCommand::HelpContents, QIcon::fromTheme(QStringLiteral("help-contents"), HelpSymbolIcon()), "Help"},
  };
  bool first = true;
  for (const auto& b : buttons) {
    if (!first) toolBar_->addSeparator();
    first = false;
    QAction* a = actions_[b.command];
    a->setIcon(b.icon);
    a->setToolTip(QString::fromLatin1(b.tip));
    toolBar_->addAction(a);
  }
}

void MainWindow::createStatusBar() {
  message_ = new StatusMessage(this);
  statusBar()->addWidget(message_, 1);
  for (const char* pane : {"CAP", "NUM", "SCRL"}) {
    auto* label = new QLabel(QString::fromLatin1(pane), this);
    label->setObjectName(QString::fromLatin1(pane));
    label->setEnabled(false);  // the indicator panes show their lock state greyed when off
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addPermanentWidget(label);
  }
}

QAction* MainWindow::action(WindowCommand command) const {
  auto it = actions_.find(command);
  return it != actions_.end() ? it->second : portMenu_->action(command);
}

void MainWindow::runCommand(WindowCommand command) {
  if (QAction* a = action(command); a && a->isEnabled()) a->trigger();
}

QPoint MainWindow::clientOrigin() const {
  // The bars are laid out below a toolbar strip at the top of the scrolled area. Docked
  // at another side or floating, the toolbar leaves that strip above it all the same
  // and takes its room from the side it is on.
  return client_->mapTo(this, QPoint(0, 0)) - QPoint(0, kToolBarThickness);
}

QRect MainWindow::clientRect() const {
  const int status = statusBar()->isVisible() ? statusBar()->height() : 0;
  return QRect(0, 0, client_->width(), client_->height() + kToolBarThickness + status);
}

void MainWindow::updateCommandStates() {
  const CommandAvailability c = Commands(model_, view_ && view_->zoomed());
  action(WindowCommand::SaveRun)->setEnabled(c.save);
  action(WindowCommand::Print)->setEnabled(c.print);
  action(WindowCommand::Run)->setEnabled(c.run);
  action(WindowCommand::Stop)->setEnabled(c.stop);
  action(WindowCommand::UndoZoom)->setEnabled(c.undoZoom);
  action(WindowCommand::PowerOff)->setEnabled(c.powerOff);
  portMenu_->updateStates();
}

void MainWindow::reportPort(const std::string& error) {
  runEndShown_ = false;
  if (error.empty()) {
    showMessage(QStringLiteral("Ready"));
    return;
  }
  QString text = QStringLiteral("COM%1 (%2): %3")
                     .arg(model_.flags.portNumber)
                     .arg(QString::fromStdString(devicePath(model_.flags.portNumber)),
                          QString::fromStdString(error));
  if (port_.lastFailure() == PortErrorKind::Permission)
    text += QStringLiteral(" - add your user to the dialout group and log in again");
  showMessage(text);
}

// The session's events as the window shows them.
void MainWindow::connectSession() {
  connect(driver_, &SessionDriver::receiving, this, [this] { view_->panel()->beginReading(); });
  connect(driver_, &SessionDriver::received, this, [this] {
    view_->panel()->endReading();
    if (!runEndShown_ && !message_->saysReady() && port_.isOpen()) showMessage(QStringLiteral("Ready"));
  });
  connect(driver_, &SessionDriver::watchdogTicked, this, [this](const WatchdogOutcome& outcome) {
    view_->panel()->syncKeys();
    // A good reopen says nothing yet: the status bar turns "Ready" with the meter's data.
    if (!outcome.portError.empty()) reportPort(outcome.portError);
    updateCommandStates();
  });
}

void MainWindow::connectPublisher(std::function<std::string()> savedFile) {
  publisher_ = new WindowPublisher(model_, settings_.path(), [this] {
    const std::string device = devicePath(model_.flags.portNumber);
    return settings_.isRunOnly(device) ? std::string("demo") : device;
  }, this);
  statusBar()->insertPermanentWidget(1, publisher_->statePane());  // before CAP, NUM and SCRL
  connect(publisher_, &WindowPublisher::problemTold, this, &MainWindow::showMessage);
  connect(driver_, &SessionDriver::received, publisher_, &WindowPublisher::frameReceived);
  if (saveRun_) saveRun_ = publisher_->announcingSaves(std::move(saveRun_), std::move(savedFile));
  publisher_->apply(publisher_->settings());
}

void MainWindow::onRun() {
  const RunOutcome outcome = driver_->session().run(*this);
  if (outcome.sent) reportPort(outcome.portError);
  view_->statisticsBar()->refresh();
  view_->update();
  updateCommandStates();
}

void MainWindow::onStop() {
  const bool going = RunGoing(model_.run.phase);
  driver_->session().stop();
  if (going) publisher_->runStopped();
  view_->statisticsBar()->refresh();
  updateCommandStates();
  holdTest_->runChanged();
}

SaveAnswer MainWindow::askToSave(SaveQuestion question) {
  return prompts_.askToSave(QString::fromLatin1(question == SaveQuestion::BeforeRun ? kRunSaveQuestion
                                                                                      : kCloseSaveQuestion));
}

bool MainWindow::saveRun() {
  const bool saved = saveRun_ && saveRun_();
  // A Save that was cancelled or failed leaves the run on show.
  if (!saved) updateCommandStates();
  return saved;
}

std::optional<int> MainWindow::askInterval(int preset) {
  int seconds = 0;
  if (!prompts_.askSampleRate(preset, &seconds)) return std::nullopt;
  return seconds;
}

void MainWindow::onPowerOff() { reportPort(PowerOff(port_)); }

void MainWindow::onHelp() {
  if (!help_) help_ = new HelpWindow(settings_.path(), this);
  help_->showAndRaise();
}

void MainWindow::onAbout() {
  AboutDialog dlg(this);
  dlg.exec();
}

bool MainWindow::closeSequence() {
  // The session asks, saves, and says goodbye to the meter once the close is certain;
  // its timers stop for good then.
  if (!driver_->session().close(*this)) return false;
  const std::string error = settings_.keepPortNumber(model_.flags.portNumber);
  if (!error.empty()) showMessage(QString::fromStdString(error));
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (putOffCloseForDialog()) {
    event->ignore();
    return;
  }
  // A Ctrl+C or a second click on the window's close button during the question waits
  // for its answer (see eventFilter).
  closeSequenceRunning_ = true;
  const bool closes = closeSequence();
  closeSequenceRunning_ = false;
  if (!closes) {
    event->ignore();
    return;
  }
  closing_ = true;
  event->accept();
  QCoreApplication::quit();
}

// One dialog at a time: a close that comes while a dialog is open (the close box, Ctrl+C
// or SIGTERM during a Save dialog) answers that dialog Cancel, the safe answer of every
// dialog, and goes on once the command that opened it has returned, so that the close
// question never stands over another dialog.
bool MainWindow::putOffCloseForDialog() {
  QWidget* modal = QApplication::activeModalWidget();
  // A dialog's own event loop may still be unwinding after it was answered.
  if (!modal && QThread::currentThread()->loopLevel() <= 1) return false;
  if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  else if (modal) modal->close();
  QTimer::singleShot(kCloseRetryMs, this, [this] { close(); });
  return true;
}

void MainWindow::placeBars() { view_->placeBars(clientOrigin(), clientRect()); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Qt takes a window manager's close that comes while the close sequence runs as
  // accepted, and the window would go without its goodbye or the save it asked for.
  if (watched == windowHandle() && event->type() == QEvent::Close && closeSequenceRunning_) {
    event->ignore();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (windowHandle()) windowHandle()->installEventFilter(this);
  if (!shownOnce_) {
    shownOnce_ = true;
    placeBars();
    view_->update();
    driver_->session().watchLink();
  }
}

// ModelObserver: core changes reach the widgets here.
void MainWindow::panelFieldChanged(PanelField field) { view_->panel()->redrawField(field); }
void MainWindow::panelChanged() { view_->panel()->refresh(); }
void MainWindow::statisticsChanged() { view_->statisticsBar()->refresh(); }
void MainWindow::cursorBarChanged() {
  view_->refreshCursorBar();
  // The cursors are the hold test's window.
  if (holdTest_) holdTest_->runChanged();
}
void MainWindow::chartAndCommandsChanged() {
  view_->update();
  updateCommandStates();
}
void MainWindow::invalidateChart(bool) { view_->update(); }
void MainWindow::commandsChanged() { updateCommandStates(); }
void MainWindow::runEndedByItself(RunEnd cause) {
  showMessage(QString::fromStdString(RunEndedText(cause, std::time(nullptr), model_.store.sampleCount)));
  if (publisher_) publisher_->runEndedBy(cause);
  runEndShown_ = true;
}

void MainWindow::runStarted() {
  holdTest_->runChanged();
  if (publisher_) publisher_->runStarted();
}
void MainWindow::sampleCommitted() {
  holdTest_->runChanged();
  if (publisher_) publisher_->sampleCommitted();
}
void MainWindow::holdTestChanged(bool ended) {
  holdTest_->liveChanged(ended);
  if (ended && publisher_) publisher_->holdTestEnded(driver_->session().holdTest().outcomeSoFar(), holdTest_->record());
}

void MainWindow::runNotJournaled(const std::string& why) {
  std::fprintf(stderr, "pneuvista: %s\n", why.c_str());
  showMessage(QString::fromStdString(why));
  runEndShown_ = true;
}

}  // namespace pv::ui
