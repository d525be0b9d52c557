// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QWindow>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include "../core/recording_port.h"
#include "app_model.h"
#include "driver/session_driver.h"
#include "platform/config_file.h"
#include "ui/common/ui_constants.h"
#include "ui/chart/statistics_bar.h"
#include "ui/chart/chart_view.h"
#include "ui/window/main_window.h"
#include "window_services.h"
#include "modal_answers.h"
#include "event_loop.h"
#include "panel/keys.h"
#include "ui/help/help_window.h"
#include "ui/holdtest/main_hold_test.h"

namespace pv::ui {
namespace {

using test::RecordingPort;
using testsupport::WaitFor;

struct Shell {
  QTemporaryDir dir;
  std::string config;
  AppModel model;
  RecordingPort port;
  std::unique_ptr<MainWindow> window;
  std::vector<QString> questions;
  bool answerYes = false;
  bool saveSucceeds = true;
  int saves = 0;
  UserPrompts realPrompts;  // the program's own dialogs
  UserPrompts script;
  std::function<bool()> saveRun;  // unset: saveSucceeds says

  explicit Shell(const char* configText = nullptr) {
    config = (dir.path() + QStringLiteral("/PNEUVISTAconfig.ini")).toStdString();
    if (configText) {
      QFile f(QString::fromStdString(config));
      f.open(QIODevice::WriteOnly);
      f.write(configText);
    }
    // The window asks through the script, which tests change as they go.
    WindowServices services;
    services.prompts.askToSave = [this](const QString& q) { return script.askToSave(q); };
    services.prompts.askSampleRate = [this](int preset, int* v) { return script.askSampleRate(preset, v); };
    services.prompts.askPortNumber = [this](int preset, int* v) { return script.askPortNumber(preset, v); };
    services.saveRun = [this] {
      ++saves;
      return saveRun ? saveRun() : saveSucceeds;
    };
    services.pathOf = [](int n) { return "/dev/ttyUSB" + std::to_string(n - 1); };
    window = std::make_unique<MainWindow>(model, port, SettingsFile(config), std::move(services));
    realPrompts = WithDialogs({}, window.get());
    script = realPrompts;
    script.askToSave = [this](const QString& q) {
      questions.push_back(q);
      return answerYes ? SaveAnswer::Save : SaveAnswer::DontSave;
    };
  }
  QString caption(WindowCommand command) const { return window->action(command)->text().section(QLatin1Char('\t'), 0, 0); }
  bool enabled(WindowCommand command) const { return window->action(command)->isEnabled(); }
};

std::string ReadFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  f.open(QIODevice::ReadOnly);
  return f.readAll().toStdString();
}

TEST(MainWindow, ConfigurationGivesThePortAndItsRadioMark) {
  struct Case {
    const char* text;  // nullptr: no file
    int port;
    int checked;  // 0: none of COM1..COM4
  };
  const Case cases[] = {
      {nullptr, 1, 1},
      {"[COMInfo]\r\nCOM num=7\r\n", 7, 0},
      {"[COMInfo]\r\nCOM num=0\r\n", 0, 0},
      {"[Other]\r\nx=1\r\n[COMInfo]\r\nCOM num=3\r\n", 3, 3},
      {"[COMInfo]\r\nsomething=else\r\n", 1, 1},
  };
  for (const auto& c : cases) {
    Shell s(c.text);
    EXPECT_EQ(s.model.flags.portNumber, c.port) << (c.text ? c.text : "no file");
    for (int k = 1; k <= 4; ++k)
      EXPECT_EQ(s.window->action(PortCommand(k))->isChecked(), k == c.checked) << c.port << " COM" << k;
    // The port is set up at start and greeted with CONNECT three times.
    EXPECT_EQ(s.port.log.front(), "select " + std::to_string(c.port));
    EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "01"));
  }
}

TEST(MainWindow, ClosingWritesThePortBackKeepingOtherLines) {
  Shell s("; a comment\r\n[Ports]\r\nCOM9=/dev/serial/by-id/meter\r\n[COMInfo]\r\nCOM num=2\r\n");
  s.window->runCommand(WindowCommand::Com3);
  s.window->closeSequence();
  const std::string text = ReadFile(s.config);
  EXPECT_NE(text.find("; a comment"), std::string::npos);
  EXPECT_NE(text.find("COM9=/dev/serial/by-id/meter"), std::string::npos);
  EXPECT_EQ(ReadComPort(s.config), 3);

  Shell fresh;
  fresh.window->closeSequence();
  EXPECT_EQ(ReadFile(fresh.config), "[COMInfo]\r\nCOM num=1\r\n");
}

// Answers to a save question box that leave it unanswered: Escape, or its close button.
bool PressEscape(QWidget* box) {
  QTest::keyClick(box, Qt::Key_Escape);
  return true;
}
bool CloseBox(QWidget* box) { return box->close(), true; }

TEST(MainWindow, TheCloseQuestionEndsTheProgramOnlyOnNoOrASuccessfulSave) {
  using testsupport::ModalAnswers;
  auto yes = [](QWidget* box) { return testsupport::Click(box, QMessageBox::Yes); };
  auto no = [](QWidget* box) { return testsupport::Click(box, QMessageBox::No); };
  struct Case {
    const char* answer;
    ModalAnswers::Step step;
    bool saveSucceeds;
    bool closes;
    int saves;
  };
  const Case cases[] = {
      {"Escape", PressEscape, true, false, 0},
      {"the box closed", CloseBox, true, false, 0},
      {"Yes, Save cancelled or failed", yes, false, false, 1},
      {"Yes, saved", yes, true, true, 1},
      {"No", no, true, true, 0},
  };
  std::vector<std::string> goodbye(3, "12");
  goodbye.insert(goodbye.end(), 6, "02");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Shell s;
    s.script.askToSave = s.realPrompts.askToSave;
    s.saveSucceeds = c.saveSucceeds;
    s.model.store.sampleCount = 2;
    s.window->show();
    s.port.log.clear();
    QString text;
    QMessageBox::StandardButtons buttons;
    ModalAnswers answers;
    answers.then([&](QWidget* w) {
      QMessageBox* box = testsupport::AsMessageBox(w);
      if (!box) return false;
      text = box->text();
      buttons = box->standardButtons();
      return c.step(box);
    });
    EXPECT_EQ(s.window->close(), c.closes);
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_EQ(text, QStringLiteral("Do you want to save? "));
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(s.saves, c.saves);
    EXPECT_EQ(s.window->isVisible(), !c.closes);
    // Nothing reaches the meter or the configuration unless the program ends; then
    // the goodbye is the last thing sent and no timer runs after it.
    EXPECT_EQ(s.port.writes(), c.closes ? goodbye : std::vector<std::string>{});
    EXPECT_EQ(QFile::exists(QString::fromStdString(s.config)), c.closes);
    EXPECT_EQ(s.window->driver().watchdogDueIn() >= 0, !c.closes);
  }
}

TEST(MainWindow, PowerOffShowsAPowerSymbol) {
  Shell s;
  QToolButton* button = nullptr;
  for (QToolButton* b : s.window->toolBar()->findChildren<QToolButton*>())
    if (b->defaultAction() == s.window->action(WindowCommand::PowerOff)) button = b;
  ASSERT_NE(button, nullptr);
  const QImage icon = button->icon().pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(icon.size(), QSize(16, 16));
  auto inked = [&](int x, int y) { return qAlpha(icon.pixel(x, y)) > 128; };
  auto reddish = [&](int x, int y) {
    const QColor c = icon.pixelColor(x, y);
    return c.alpha() > 128 && c.red() > c.green() + 60;
  };
  // A ring open at the top with a bar down through the gap; no red anywhere.
  EXPECT_TRUE(inked(8, 1) && inked(8, 5)) << "the bar";
  EXPECT_TRUE(inked(1, 8) && inked(14, 8) && inked(8, 14)) << "the ring's left, right and bottom";
  EXPECT_TRUE(inked(4, 3) && inked(11, 3)) << "the ring's ends";
  EXPECT_FALSE(inked(8, 11)) << "the ring is hollow below the bar";
  EXPECT_FALSE(inked(6, 2) || inked(9, 2)) << "the gap either side of the bar";
  int red = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) red += reddish(x, y);
  EXPECT_EQ(red, 0);
}

// Cancelled at the sample-rate dialog, Run still sends RUN and starts nothing; a run on
// show stays exportable.
TEST(MainWindow, RunThenCancelStillSendsRunAndStartsNothing) {
  for (const int samples : {0, 5}) {
    Shell s;
    s.model.run.phase = RunPhase::Monitoring;
    s.model.store.sampleCount = samples;
    s.window->updateCommandStates();
    s.script.askSampleRate = [](int preset, int*) {
      EXPECT_EQ(preset, 1);
      return false;
    };
    s.port.log.clear();
    s.window->runCommand(WindowCommand::Run);
    EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "11"));
    EXPECT_EQ(s.window->view()->statisticsBar()->exportButton()->isEnabled(), samples > 0);
    EXPECT_EQ(s.model.run.phase, RunPhase::Monitoring);
    EXPECT_FALSE(s.enabled(WindowCommand::Stop));
    EXPECT_EQ(s.window->driver().sampleTimerDueIn(), -1);
    EXPECT_EQ(s.questions.size(), samples > 0 ? 1u : 0u);
  }
}

TEST(MainWindow, OtherComAcceptsFiveToSixteenOnly) {
  struct Case {
    int entered;
    bool changes;
  };
  for (const Case& c : {Case{17, false}, Case{4, false}, Case{5, true}, Case{16, true}}) {
    Shell s;
    s.script.askPortNumber = [&](int preset, int* value) {
      EXPECT_EQ(preset, 5);
      *value = c.entered;
      return true;
    };
    s.port.log.clear();
    s.window->runCommand(WindowCommand::OtherPort);
    if (!c.changes) {
      EXPECT_TRUE(s.port.log.empty()) << c.entered;
      EXPECT_EQ(s.model.flags.portNumber, 1);
      EXPECT_TRUE(s.window->action(WindowCommand::Com1)->isChecked());
      continue;
    }
    EXPECT_EQ(s.model.flags.portNumber, c.entered);
    ASSERT_GE(s.port.log.size(), 2u);
    EXPECT_EQ(s.port.log[0], "close");  // the open port is closed first
    EXPECT_EQ(s.port.log[1], "select " + std::to_string(c.entered));
    EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "01"));
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(s.window->action(PortCommand(k + 1))->isChecked());
  }
}

TEST(MainWindow, AFailingPortIsNamedInTheStatusBar) {
  QTemporaryDir dir;
  AppModel model;
  RecordingPort port;
  port.failAt = 6;  // the open of the start-up set-up
  MainWindow window(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()),
                    PortsAt([](int) { return std::string("/dev/ttyUSB0"); }));
  EXPECT_EQ(window.messagePane()->text(), QStringLiteral("COM1 (/dev/ttyUSB0): refused"));
}

// Presses keys in the window as the user would, the window being the active one.
bool PressIn(QWidget* window, const QKeySequence& keys) {
  window->show();
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window)) return false;
  QTest::keySequence(window, keys);
  return true;
}

bool OnAMenu(const QAction* action) {
  const QList<QObject*> holders = action->associatedObjects();
  return std::any_of(holders.begin(), holders.end(), [](QObject* o) { return qobject_cast<QMenu*>(o); });
}

TEST(MainWindow, EachShortcutIsShownOnItsMenuItemAndDoesWhatTheItemDoes) {
  struct Case {
    WindowCommand command;
    QKeySequence keys;
    std::function<bool(Shell&)> done;  // what pressing the keys did, where the test looks
  };
  const Case cases[] = {
      {WindowCommand::SaveRun, QKeySequence(Qt::CTRL | Qt::Key_S), [](Shell& s) { return s.saves == 1; }},
      {WindowCommand::OpenDocument, QKeySequence(Qt::CTRL | Qt::Key_O), nullptr},
      {WindowCommand::Print, QKeySequence(Qt::CTRL | Qt::Key_P), nullptr},
      {WindowCommand::Exit, QKeySequence(Qt::CTRL | Qt::Key_Q),
       [](Shell& s) { return s.questions == std::vector<QString>{QString::fromLatin1(kCloseSaveQuestion)}; }},
      {WindowCommand::HelpContents, QKeySequence(Qt::Key_F1),
       [](Shell& s) { return s.window->helpWindow() && s.window->helpWindow()->isVisible(); }},
      {WindowCommand::Run, QKeySequence(Qt::Key_F5), nullptr},
      {WindowCommand::Stop, QKeySequence(Qt::SHIFT | Qt::Key_F5), nullptr},
      {WindowCommand::HoldTest, QKeySequence(Qt::Key_F7), [](Shell& s) { return s.window->holdTest().shown(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys.toString().toStdString());
    Shell s;
    s.model.store.sampleCount = 2;
    s.window->updateCommandStates();
    EXPECT_EQ(s.window->action(c.command)->shortcut(), c.keys);
    EXPECT_TRUE(OnAMenu(s.window->action(c.command)));
    if (c.done) {
      ASSERT_TRUE(PressIn(s.window.get(), c.keys));
      EXPECT_TRUE(c.done(s));
    }
  }
  // One command per key, and none on a letter that names a key of the meter's panel.
  Shell s;
  QSet<QKeySequence> used;
  for (const QAction* a : s.window->findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    EXPECT_FALSE(used.contains(a->shortcut())) << a->shortcut().toString().toStdString();
    used.insert(a->shortcut());
    for (int k = 0; k < kKeyCount; ++k)
      EXPECT_NE(a->shortcut()[0].key(), Qt::Key_A + (KeyRowOf(static_cast<Key>(k)).caption[0] - 'A'));
  }
}

TEST(MainWindow, ACloseWhileADialogIsOpenAnswersItCancelBeforeAskingItsOwnQuestion) {
  // The close box, Ctrl+C or SIGTERM while a command's dialog is open.
  struct Case {
    const char* dialog;
    WindowCommand command;
  };
  for (const Case& c : {Case{"File > Save's dialog", WindowCommand::SaveRun},
                        Case{"Run's sample-rate dialog", WindowCommand::Run}}) {
    SCOPED_TRACE(c.dialog);
    Shell s;
    s.model.store.sampleCount = 2;
    s.model.run.phase = RunPhase::Monitoring;
    s.window->updateCommandStates();
    s.window->show();
    int result = -1;
    auto openDialog = [&] {
      QDialog dialog(s.window.get());
      QTimer::singleShot(0, s.window.get(), [&] { s.window->close(); });
      result = dialog.exec();
      return false;
    };
    s.saveRun = openDialog;
    s.script.askSampleRate = [&](int, int*) { return openDialog(); };
    bool questionOverADialog = false;
    s.script.askToSave = [&](const QString& q) {
      // Run asks about the run on show before its dialog: No, on to the dialog.
      if (q == QString::fromLatin1(kRunSaveQuestion)) return SaveAnswer::DontSave;
      s.questions.push_back(q);
      if (QDialog* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        questionOverADialog = true;
        open->reject();
      }
      return SaveAnswer::Cancel;
    };
    s.window->runCommand(c.command);
    ASSERT_TRUE(WaitFor([&] { return !s.questions.empty(); }, 10000));
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(questionOverADialog);
    EXPECT_EQ(s.questions, std::vector<QString>{QString::fromLatin1(kCloseSaveQuestion)});
    EXPECT_TRUE(s.window->isVisible());
  }
}

TEST(MainWindow, TheCloseBoxDuringTheCloseQuestionWaitsForItsAnswer) {
  Shell s;
  s.model.store.sampleCount = 2;
  s.window->show();
  s.port.log.clear();
  bool secondCloseAccepted = true;
  s.script.askToSave = [&](const QString&) {
    // As the window manager sends it for a click on the close box.
    QCloseEvent close;
    QCoreApplication::sendEvent(s.window->windowHandle(), &close);
    secondCloseAccepted = close.isAccepted();
    return SaveAnswer::Cancel;
  };
  EXPECT_FALSE(s.window->close());
  EXPECT_FALSE(secondCloseAccepted);
  EXPECT_TRUE(s.window->isVisible());
  EXPECT_TRUE(s.port.writes().empty());
}

}  // namespace
}  // namespace pv::ui
