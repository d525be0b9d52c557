#include "ui/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <cstdio>
#include <ctime>

#include "app_model.h"
#include "chart/acquisition.h"
#include "chart/command_availability.h"
#include "files/run_journal.h"
#include "link/port_commands.h"
#include "link/ingest.h"
#include "link/link.h"
#include "platform/config_file.h"
#include "platform/meter_probe.h"
#include "platform/qt_serial_port.h"
#include "ui/chart/cursor_bar.h"
#include "ui/chart/chart_view.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"
#include "ui/chart/statistics_bar.h"
#include "ui/help/help_window.h"
#include "ui/window/save_question.h"
#include "ui/window/dialogs.h"
#include "ui/panel/front_panel.h"

namespace pv::ui {

MainWindow::MainWindow(AppModel& model, SerialPort& port, QtSerialPort* qtPort, std::string configPath,
                       std::function<std::string(int)> pathOf)
    : model_(model), port_(port), qtPort_(qtPort), configPath_(std::move(configPath)), pathOf_(std::move(pathOf)) {
  if (!pathOf_) pathOf_ = [](int n) { return ConfiguredPortPath(n); };
  setWindowTitle(QString::fromLatin1(kMainTitle));
  setWindowIcon(AppIcon());
  prompts.askToSave = [this](const QString& question) { return AskSaveQuestion(question, this); };
  prompts.askSampleRate = [this](int preset, int* value) {
    SampleRateDialog dlg(this);
    dlg.setValue(preset);
    if (dlg.exec() != QDialog::Accepted) return false;
    *value = dlg.value();
    return true;
  };
  prompts.askPortNumber = [this](int preset, int* value) {
    PortNumberDialog dlg(this);
    dlg.setValue(preset);
    if (dlg.exec() != QDialog::Accepted) return false;
    *value = dlg.value();
    return true;
  };

  prompts.askMeter = [this](const QStringList& meters) {
    if (meters.isEmpty()) {
      QMessageBox::information(this, QStringLiteral("Find meter"),
                               QStringLiteral("No meter was found. Is it switched on and connected?"));
      return -1;
    }
    bool ok = false;
    const QString item = QInputDialog::getItem(this, QStringLiteral("Find meter"),
                                               QStringLiteral("Use this meter for the current port:"), meters, 0,
                                               false, &ok);
    return ok ? static_cast<int>(meters.indexOf(item)) : -1;
  };

  // Creation, in the order the window is built: configuration, toolbar, port, status bar.
  model_.flags.initialise(ReadComPort(configPath_));
  createMenus();
  createToolBar();
  if (qtPort_) {
    connect(qtPort_, &QtSerialPort::dataReceived, this, &MainWindow::onReceive);
    connect(qtPort_, &QtSerialPort::portLost, this,
            [this](const QString& reason) { reportPort(reason.toStdString()); });
  }
  createStatusBar();
  reportPort(StartupPortSteps(model_, port_));

  // The chart and its bars fill the area under the toolbar; a window too small for
  // every control scrolls over them instead of cutting any off.
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  client_ = new QWidget;
  client_->setObjectName(QStringLiteral("ClientArea"));
  scroll->setWidget(client_);
  setCentralWidget(scroll);
  view_ = new ChartView(model_, port_, *this, this, client_);
  view_->statisticsBar()->onExport = [this] {
    if (files.exportExcel) files.exportExcel();
  };
  view_->statisticsBar()->onOpen = [this] {
    if (files.openLogger) files.openLogger();
  };
  updateCommandStates();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addCommand(QMenu* menu, const QString& caption, Command command,
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

void MainWindow::createMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File(f)"));
  addCommand(file, QStringLiteral("&Save"), Command::SaveRun, [this] {
    if (files.saveRun) files.saveRun();
  });
  addCommand(file, QStringLiteral("&Print"), Command::Print, [this] {
    if (files.print) files.print();
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  file->addSeparator();
  addCommand(file, QStringLiteral("&Exit"), Command::Exit, [this] { close(); });

  QMenu* realTime = menuBar()->addMenu(QStringLiteral("&RealTime(R)"));
  addCommand(realTime, QStringLiteral("&Run"), Command::Run, [this] { onRun(); });
  addCommand(realTime, QStringLiteral("&Stop"), Command::Stop, [this] { onStop(); });
  addCommand(realTime, QStringLiteral("&UndoZoom"), Command::UndoZoom, [this] {
    view_->undoZoom();
    updateCommandStates();
  });
  addCommand(realTime, QStringLiteral("&PowerOff"), Command::PowerOff, [this] { onPowerOff(); });

  QMenu* ports = menuBar()->addMenu(QStringLiteral("&COM Port"));
  for (int k = 1; k <= 4; ++k) {
    QAction* a = addCommand(ports, QStringLiteral("&COM%1").arg(k), PortCommand(k), [this, k] { onChoosePort(k); });
    a->setCheckable(true);
  }
  addCommand(ports, QStringLiteral("&Other COM"), Command::OtherPort, [this] { onOtherPort(); })
      ->setStatusTip(QStringLiteral("Other comports"));
  ports->addSeparator();
  ports->addAction(QStringLiteral("&Find meter\u2026"), this, &MainWindow::onFindMeter)
      ->setStatusTip(QStringLiteral("Look for the meter on every serial device"));
  connect(ports, &QMenu::aboutToShow, this, &MainWindow::refreshPortCaptions);
  refreshPortCaptions();

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help(H)"));
  addCommand(help, QStringLiteral("&About"), Command::About, [this] { onAbout(); });
  addCommand(help, QStringLiteral("&Contents"), Command::HelpContents, [this] { onHelp(); });

  QAction* computer = addCommand(nullptr, QStringLiteral("&Computer Command"), Command::ComputerCommand, nullptr);
  computer->setEnabled(false);
  menuBar()->addAction(computer);

  // Accelerators that are not on a menu item.
  addCommand(nullptr, QStringLiteral("New"), Command::NewDocument, nullptr)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  addCommand(nullptr, QStringLiteral("Open"), Command::OpenDocument, [this] {
    if (files.documentOpen) files.documentOpen();
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  addCommand(nullptr, QStringLiteral("Save"), Command::SaveDocument, [this] {
    if (files.documentSave) files.documentSave();
  })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  for (Command c : {Command::NewDocument, Command::OpenDocument, Command::SaveDocument}) addAction(actions_[c]);
}

void MainWindow::refreshPortCaptions() {
  // The device each number stands for, beside the caption in the shortcut column.
  for (int k = 1; k <= 4; ++k) {
    actions_[PortCommand(k)]->setText(
        QStringLiteral("&COM%1\t%2").arg(k).arg(QString::fromStdString(devicePath(k))));
  }
  const int n = model_.flags.portNumber;
  QString other = QStringLiteral("&Other COM");
  if (n >= kOtherComMin) other += QStringLiteral("\tCOM%1 %2").arg(n).arg(QString::fromStdString(devicePath(n)));
  actions_[Command::OtherPort]->setText(other);
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
    Command command;
    QIcon icon;
    const char* tip;
  };
  const Button buttons[] = {
      {Command::SaveRun, ThemeIcon("document-save", QStyle::SP_DialogSaveButton, s), "Save"},
      {Command::Print, ThemeIcon("document-print", QStyle::SP_FileDialogDetailedView, s), "Print"},
      {Command::Run, ThemeIcon("media-playback-start", QStyle::SP_MediaPlay, s), "Start"},
      {Command::Stop, ThemeIcon("media-playback-stop", QStyle::SP_MediaStop, s), "Stop"},
      {Command::UndoZoom, ThemeIcon("zoom-original", QStyle::SP_ArrowBack, s), "UndoZoom"},
      {Command::PowerOff, PowerSymbolIcon(), "PowerOff"},
      {Command::HelpContents, QIcon::fromTheme(QStringLiteral("help-contents"), HelpSymbolIcon()), "Help"},
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
  message_ = new QLabel(QStringLiteral("Ready"), this);
  statusBar()->addWidget(message_, 1);
  for (const char* pane : {"CAP", "NUM", "SCRL"}) {
    auto* label = new QLabel(QString::fromLatin1(pane), this);
    label->setObjectName(QString::fromLatin1(pane));
    label->setEnabled(false);  // the indicator panes show their lock state greyed when off
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addPermanentWidget(label);
  }
}

QAction* MainWindow::action(Command command) const {
  auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::runCommand(Command command) {
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
  action(Command::SaveRun)->setEnabled(c.save);
  action(Command::Print)->setEnabled(c.print);
  action(Command::Run)->setEnabled(c.run);
  action(Command::Stop)->setEnabled(c.stop);
  action(Command::UndoZoom)->setEnabled(c.undoZoom);
  action(Command::PowerOff)->setEnabled(c.powerOff);
  for (int k = 0; k < 4; ++k) {
    action(PortCommand(k + 1))->setEnabled(model_.flags.portMenuEnabled[k]);
    action(PortCommand(k + 1))->setChecked(model_.flags.portChecked[k]);
  }
  action(Command::OtherPort)->setEnabled(model_.flags.portMenuEnabled[4]);
}

void MainWindow::reportPort(const std::string& error) {
  runEndShown_ = false;
  if (error.empty()) {
    message_->setText(QStringLiteral("Ready"));
    return;
  }
  QString text = QStringLiteral("COM%1 (%2): %3")
                     .arg(model_.flags.portNumber)
                     .arg(QString::fromStdString(devicePath(model_.flags.portNumber)),
                          QString::fromStdString(error));
  if (text.contains(QStringLiteral("ermission")))
    text += QStringLiteral(" - add your user to the dialout group and log in again");
  message_->setText(text);
}

void MainWindow::onReceive() {
  FrontPanel* panel = view_->panel();
  panel->beginReading();
  struct EndReading {
    FrontPanel* panel;
    ~EndReading() { panel->endReading(); }
  } endReading{panel};
  OnReceiveNotification(model_, port_, std::time(nullptr), *this);
  if (!runEndShown_ && message_->text() != QStringLiteral("Ready") && port_.isOpen())
    message_->setText(QStringLiteral("Ready"));
}

void MainWindow::onRun() {
  bool givenUp = false;
  if (ShouldAskSaveOnRun(model_)) {
    const SaveAnswer answer = prompts.askToSave(QString::fromLatin1(kRunSaveQuestion));
    // Escape leaves the run on show as it was, journal and all.
    if (answer == SaveAnswer::Cancel) return;
    givenUp = answer == SaveAnswer::DontSave;
    if (!givenUp && files.saveRun && !files.saveRun()) {
      // A Save that was cancelled or failed leaves the run on show: a new run would reset it.
      updateCommandStates();
      return;
    }
  }
  int seconds = 0;
  if (prompts.askSampleRate(RunDialogPreset(model_), &seconds)) {
    // No gives the old run up once the new one is confirmed; cancelled here, the old run
    // stays on show and keeps its journal.
    if (givenUp && journal) journal->giveUp();
    ConfirmRun(model_, seconds, *this);
  }
  reportPort(FinishRunCommand(model_, port_, *this));
  view_->statisticsBar()->transferToControls();
  view_->update();
  updateCommandStates();
}

void MainWindow::onStop() {
  Stop(model_, *this);
  view_->statisticsBar()->transferToControls();
  updateCommandStates();
}

void MainWindow::onPowerOff() { reportPort(PowerOff(port_)); }

void MainWindow::onChoosePort(int k) {
  reportPort(ChoosePort(model_, port_, k, *this));
  refreshPortCaptions();
  updateCommandStates();
}

void MainWindow::onOtherPort() {
  int n = 0;
  if (!prompts.askPortNumber(OtherPortDialogPreset(model_), &n)) {
    updateCommandStates();
    return;
  }
  std::string error;
  if (ChooseOtherPort(model_, port_, n, *this, &error)) reportPort(error);
  refreshPortCaptions();
  updateCommandStates();
}

// The probe runs on the event loop, so the window stays usable while it listens.
void MainWindow::onFindMeter() {
  if (probe_) return;
  const std::string current = devicePath(model_.flags.portNumber);
  // The window lets go of its own device so that it can be probed as well.
  CloseIfOpen(port_);
  std::vector<std::string> extra = meterSearch.extraPaths;
  extra.push_back(current);
  std::vector<std::string> paths;
  for (const SerialDevice& d : ListSerialDevices(extra, meterSearch.stableFolder)) paths.push_back(d.path);
  probe_ = new MeterProbe(this);
  connect(probe_, &MeterProbe::finished, this, &MainWindow::onMeterProbeDone);
  statusBar()->showMessage(QStringLiteral("Looking for the meter..."));
  probe_->start(paths);
}

void MainWindow::onMeterProbeDone() {
  const std::vector<MeterChoice> meters = MeterChoices(probe_->results(), StableNames(meterSearch.stableFolder));
  probe_->deleteLater();
  probe_ = nullptr;
  statusBar()->clearMessage();
  QStringList items;
  for (const MeterChoice& m : meters)
    items << (m.name == m.device ? QString::fromStdString(m.device)
                                 : QStringLiteral("%1  (%2)").arg(QString::fromStdString(m.name),
                                                                  QString::fromStdString(m.device)));
  const int chosen = prompts.askMeter ? prompts.askMeter(items) : -1;
  if (chosen >= 0 && chosen < static_cast<int>(meters.size())) {
    const std::string error = WritePortPath(configPath_, model_.flags.portNumber, meters[chosen].name);
    if (!error.empty()) reportPort(error);
  }
  reopenCurrentPort();
}

// The current port opened again: on the meter chosen, or on the device it had.
void MainWindow::reopenCurrentPort() {
  const int n = model_.flags.portNumber;
  if (n >= kOtherComMin) {
    std::string error;
    if (ChooseOtherPort(model_, port_, n, *this, &error)) reportPort(error);
    refreshPortCaptions();
    updateCommandStates();
  } else {
    onChoosePort(n);
  }
}

void MainWindow::onHelp() {
  if (!help_) help_ = new HelpWindow(configPath_, this);
  help_->showAndRaise();
}

void MainWindow::onAbout() {
  AboutDialog dlg(this);
  dlg.exec();
}

bool MainWindow::closeSequence() {
  if (ShouldAskSaveOnClose(model_)) {
    const SaveAnswer answer = prompts.askToSave(QString::fromLatin1(kCloseSaveQuestion));
    if (answer == SaveAnswer::Cancel) return false;
    // A Save that was cancelled or failed (and said so) keeps the program and its run.
    if (answer == SaveAnswer::Save && !(files.saveRun && files.saveRun())) return false;
  }
  // The close is certain: no timer may commit a sample or greet the meter again
  // after the goodbye below.
  view_->stopTimers();
  journalSync_.stop();
  // The run on show was saved or given up, or holds too little for the question.
  if (journal) journal->giveUp();
  const std::string error = WriteComPort(configPath_, model_.flags.portNumber);
  if (!error.empty()) message_->setText(QString::fromStdString(error));
  CloseSequencePortSteps(port_);
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // Qt sends no second close event while this one is handled: a Ctrl+C or a second
  // click on the window's close button during the question waits for its answer.
  if (!closeSequence()) {
    event->ignore();
    return;
  }
  closing_ = true;
  event->accept();
  QCoreApplication::quit();
}

void MainWindow::paintEvent(QPaintEvent*) {
  // The two strips of the window's own client area not covered by its children.
  QPainter p(this);
  const QRect c = clientRect();
  const QPoint o = clientOrigin();
  const QColor face = palette().color(QPalette::Button);
  p.fillRect(QRect(o.x() + c.right() - 23, o.y() + 31, 24, c.height() - 31), face);
  p.fillRect(QRect(o.x() + 290, o.y() + 142, c.width() - 350, 7), face);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!initialUpdateDone_) {
    initialUpdateDone_ = true;
    view_->initialUpdate();
  }
}

// ModelObserver: core changes reach the widgets here.
void MainWindow::panelFieldChanged(PanelField field) { view_->panel()->redrawField(field); }
void MainWindow::panelChanged() { view_->panel()->refresh(); }
void MainWindow::statisticsChanged() { view_->statisticsBar()->transferToControls(); }
void MainWindow::cursorBarChanged() {
  view_->transferCursorBar();
}
void MainWindow::updateAllViews() {
  view_->update();
  updateCommandStates();
}
void MainWindow::invalidateChart(bool) { view_->update(); }
void MainWindow::commandsChanged() { updateCommandStates(); }
void MainWindow::armSampleTimer(int periodMs) { view_->armSampleTimer(periodMs); }
void MainWindow::runEndedByItself(RunEnd cause) {
  message_->setText(QString::fromStdString(RunEndedText(cause, std::time(nullptr), model_.store.sampleCount)));
  runEndShown_ = true;
}

void MainWindow::runStarted() {
  if (journal) journalSync_.begin(*journal, model_);
}

void MainWindow::sampleCommitted() {
  if (journal) journalSync_.append(*journal, model_);
}

void MainWindow::reportNotJournaled(const std::string& why) {
  std::fprintf(stderr, "pneuvista: %s\n", why.c_str());
  message_->setText(QString::fromStdString(why));
  runEndShown_ = true;
}

}  // namespace pv::ui
