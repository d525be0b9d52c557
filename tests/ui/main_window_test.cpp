#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QPushButton>
#include <QToolBar>
#include <gtest/gtest.h>

#include "../core/recording_port.h"
#include "app_model.h"
#include "platform/config_file.h"
#include "ui/common/ui_constants.h"
#include "ui/chart/statistics_bar.h"
#include "ui/chart/chart_view.h"
#include "ui/window/main_window.h"

namespace pv::ui {
namespace {

using test::RecordingPort;

struct Shell {
  QTemporaryDir dir;
  std::string config;
  AppModel model;
  RecordingPort port;
  std::unique_ptr<MainWindow> frame;
  std::vector<QString> questions;
  bool answerYes = false;
  int saves = 0;

  explicit Shell(const char* configText = nullptr) {
    config = (dir.path() + QStringLiteral("/PNEUVISTAconfig.ini")).toStdString();
    if (configText) {
      QFile f(QString::fromStdString(config));
      f.open(QIODevice::WriteOnly);
      f.write(configText);
    }
    frame = std::make_unique<MainWindow>(model, port, nullptr, config, [](int n) {
      return "/dev/ttyUSB" + std::to_string(n - 1);
    });
    frame->prompts.askYesNo = [this](const QString& q) {
      questions.push_back(q);
      return answerYes;
    };
    frame->files.saveRun = [this] { ++saves; };
  }
  QString caption(int id) const { return frame->action(id)->text().section(QLatin1Char('\t'), 0, 0); }
  bool enabled(int id) const { return frame->action(id)->isEnabled(); }
};

std::string ReadFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  f.open(QIODevice::ReadOnly);
  return f.readAll().toStdString();
}

TEST(MainFrame, TitleMenusAndToolbar) {
  Shell s;
  EXPECT_EQ(s.frame->windowTitle(), QStringLiteral("Q5716 Pneuvista Software"));
  QStringList menus;
  for (QAction* a : s.frame->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File(f)", "&RealTime(R)", "&COM Port", "&Help(H)", "&Computer Command"}));
  const std::vector<std::pair<int, const char*>> items = {
      {32814, "&Save"},  {57607, "&Print"}, {57665, "&Exit"},     {32771, "&Run"},       {32772, "&Stop"},
      {32811, "&UndoZoom"}, {32812, "&PowerOff"}, {32783, "&COM1"}, {32786, "&COM4"},    {32817, "&Other COM"},
      {57664, "&About"}, {32779, "&Contents"}, {32780, "&Computer Command"},
  };
  for (auto [id, text] : items) EXPECT_EQ(s.caption(id), QString::fromLatin1(text)) << id;
  EXPECT_FALSE(s.enabled(32780));
  EXPECT_EQ(s.frame->action(32783)->text(), QStringLiteral("&COM1\t/dev/ttyUSB0"));

  QStringList tips;
  int separators = 0;
  for (QAction* a : s.frame->toolBar()->actions()) {
    if (a->isSeparator()) ++separators;
    else tips << a->toolTip();
  }
  EXPECT_EQ(tips, (QStringList{"Save", "Print", "Start", "Stop", "UndoZoom", "PowerOff", "Help"}));
  EXPECT_EQ(separators, 6);
  EXPECT_EQ(s.frame->messagePane()->text(), QStringLiteral("Ready"));
  EXPECT_EQ(s.frame->action(57607)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
  EXPECT_EQ(s.frame->action(57601)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(s.frame->action(57603)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST(MainFrame, CommandsFollowTheAcquisitionState) {
  struct Case {
    const char* state;
    bool monitoring, running, canStop;
    int samples;
    bool run, stop, save;
  };
  const Case cases[] = {
      {"no meter", false, false, false, 0, false, false, false},
      {"idle", true, false, false, 0, true, false, false},
      {"requested", false, true, true, 0, false, true, false},
      {"running", false, true, true, 5, false, true, true},
      {"stopped with a run", true, false, false, 5, true, false, true},
  };
  for (const auto& c : cases) {
    Shell s;
    s.model.run.monitoring = c.monitoring;
    s.model.flags.running = c.running;
    s.model.run.canStop = c.canStop;
    s.model.store.sampleCount = c.samples;
    s.frame->updateCommandStates();
    EXPECT_EQ(s.enabled(ID_RUN), c.run) << c.state;
    EXPECT_EQ(s.enabled(ID_POWER_OFF), c.run) << c.state;
    EXPECT_EQ(s.enabled(ID_STOP), c.stop) << c.state;
    EXPECT_EQ(s.enabled(ID_FILE_SAVE_RUN), c.save) << c.state;
    EXPECT_EQ(s.enabled(ID_FILE_PRINT), c.save) << c.state;
    EXPECT_TRUE(s.enabled(ID_APP_EXIT));
    EXPECT_TRUE(s.enabled(ID_APP_ABOUT));
  }
}

TEST(MainFrame, ConfigurationGivesThePortAndItsRadioMark) {
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
      EXPECT_EQ(s.frame->action(ID_COM1 + k - 1)->isChecked(), k == c.checked) << c.port << " COM" << k;
    // The port is set up at start and greeted with CONNECT three times.
    EXPECT_EQ(s.port.log.front(), "select " + std::to_string(c.port));
    EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "01"));
  }
}

TEST(MainFrame, ClosingWritesThePortBackKeepingOtherLines) {
  Shell s("; a comment\r\n[Ports]\r\nCOM9=/dev/serial/by-id/meter\r\n[COMInfo]\r\nCOM num=2\r\n");
  s.frame->runCommand(ID_COM3);
  s.frame->closeSequence();
  const std::string text = ReadFile(s.config);
  EXPECT_NE(text.find("; a comment"), std::string::npos);
  EXPECT_NE(text.find("COM9=/dev/serial/by-id/meter"), std::string::npos);
  EXPECT_EQ(ReadComPort(s.config), 3);

  Shell fresh;
  fresh.frame->closeSequence();
  EXPECT_EQ(ReadFile(fresh.config), "[COMInfo]\r\nCOM num=1\r\n");
}

TEST(MainFrame, CloseSequenceSendsExitThenDisconnectAndAsksOnlyWithTwoSamples) {
  for (int samples : {0, 1, 2}) {
    Shell s;
    s.model.store.sampleCount = samples;
    s.answerYes = true;
    s.port.log.clear();
    s.frame->closeSequence();
    std::vector<std::string> expected(3, "12");
    expected.insert(expected.end(), 6, "02");
    EXPECT_EQ(s.port.writes(), expected);
    EXPECT_EQ(s.port.log[0], "readlen 0");  // the port was open already
    EXPECT_EQ(s.questions.size(), samples >= 2 ? 1u : 0u) << samples;
    if (samples >= 2) {
      EXPECT_EQ(s.questions[0], QStringLiteral("Do you want to save? "));
    }
    EXPECT_EQ(s.saves, samples >= 2 ? 1 : 0);
  }
}

TEST(MainFrame, RunThenCancelStillSendsRunAndStartsNothing) {
  Shell s;
  s.model.run.monitoring = true;
  s.model.statsBar.exportEnabled = true;
  s.frame->updateCommandStates();
  s.frame->prompts.askSampleRate = [](int preset, int*) {
    EXPECT_EQ(preset, 1);
    return false;
  };
  s.port.log.clear();
  s.frame->runCommand(ID_RUN);
  EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "11"));
  EXPECT_FALSE(s.frame->view()->statisticsBar()->exportButton()->isEnabled());
  EXPECT_FALSE(s.model.flags.runRequested);
  EXPECT_FALSE(s.enabled(ID_STOP));
  EXPECT_TRUE(s.model.run.startTimerPending);
  EXPECT_TRUE(s.questions.empty());
}

TEST(MainFrame, RunConfirmedAfterARunAsksToSaveFirst) {
  Shell s;
  s.model.run.monitoring = true;
  s.model.flags.graphHasData = true;
  s.answerYes = true;
  s.frame->updateCommandStates();
  s.frame->prompts.askSampleRate = [](int, int* value) {
    *value = 0;  // below 1 counts as 1
    return true;
  };
  s.frame->runCommand(ID_RUN);
  ASSERT_EQ(s.questions.size(), 1u);
  EXPECT_EQ(s.questions[0].toStdString(), kRunSaveQuestion);
  EXPECT_EQ(s.saves, 1);
  EXPECT_EQ(s.model.run.intervalMs, 1000);
  EXPECT_TRUE(s.model.flags.runRequested);
  EXPECT_TRUE(s.enabled(ID_STOP));
  EXPECT_FALSE(s.enabled(ID_RUN));
}

TEST(MainFrame, OtherComAcceptsFiveToSixteenOnly) {
  struct Case {
    int entered;
    bool changes;
  };
  for (const Case& c : {Case{17, false}, Case{4, false}, Case{5, true}, Case{16, true}}) {
    Shell s;
    s.frame->prompts.askPortNumber = [&](int preset, int* value) {
      EXPECT_EQ(preset, 5);
      *value = c.entered;
      return true;
    };
    s.port.log.clear();
    s.frame->runCommand(ID_OTHER_COM);
    if (!c.changes) {
      EXPECT_TRUE(s.port.log.empty()) << c.entered;
      EXPECT_EQ(s.model.flags.portNumber, 1);
      EXPECT_TRUE(s.frame->action(ID_COM1)->isChecked());
      continue;
    }
    EXPECT_EQ(s.model.flags.portNumber, c.entered);
    ASSERT_GE(s.port.log.size(), 2u);
    EXPECT_EQ(s.port.log[0], "close");  // the open port is closed first
    EXPECT_EQ(s.port.log[1], "select " + std::to_string(c.entered));
    EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "01"));
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(s.frame->action(ID_COM1 + k)->isChecked());
  }
}

TEST(MainFrame, AFailingPortIsNamedInTheStatusBar) {
  QTemporaryDir dir;
  AppModel model;
  RecordingPort port;
  port.failAt = 6;  // the open of the start-up set-up
  MainWindow frame(model, port, nullptr, (dir.path() + QStringLiteral("/c.ini")).toStdString(),
                   [](int) { return std::string("/dev/ttyUSB0"); });
  EXPECT_EQ(frame.messagePane()->text(), QStringLiteral("COM1 (/dev/ttyUSB0): refused"));
}

}  // namespace
}  // namespace pv::ui
