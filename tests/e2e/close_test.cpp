// SPDX-License-Identifier: GPL-3.0-or-later
// Closing the program with a run on show, and runs that end by themselves: the whole
// program as main() builds it, in this process, against the simulated meter. The
// real question box and file dialog are answered as a user would.
#include <csignal>

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

#include "app_model.h"
#include "driver/session_driver.h"
#include "e2e_support.h"
#include "modal_answers.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"
#include "ui/app/meter_app.h"
#include "ui/chart/chart_view.h"
#include "ui/chart/statistics_bar.h"
#include "ui/window/main_window.h"

namespace pv::e2e {
namespace {

using testsupport::ModalAnswers;

// The configuration file's text; empty when it was never written.
QString ConfigText(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The program with its own configuration file, using the simulated meter's device.
struct LiveProgram {
  QTemporaryDir dir;
  std::string link = (dir.path() + QStringLiteral("/meter")).toStdString();
  QString config = dir.path() + QStringLiteral("/c.ini");
  PtyMeter meter{link};
  std::unique_ptr<ui::MeterApp> app;
  std::function<bool(int, int*)> sampleRate = [](int, int* seconds) { return *seconds = 1, true; };

  LiveProgram() {
    meter.setFramesPerSecond(4);
    EXPECT_TRUE(meter.start()) << meter.errorString();
    ui::StartOptions options;
    options.devicePath = link;
    options.configPath = config.toStdString();
    options.stateFolder = (dir.path() + QStringLiteral("/state")).toStdString();
    ui::UserPrompts prompts;
    prompts.askSampleRate = [this](int preset, int* seconds) { return sampleRate(preset, seconds); };
    app = std::make_unique<ui::MeterApp>(options, prompts);
    EXPECT_TRUE(app->start()) << app->errorString().toStdString();
  }
  ui::MainWindow* window() { return app->mainWindow(); }
  AppModel& model() { return app->model(); }
  QString status() { return window()->messagePane()->text(); }
  bool exportEnabled() { return window()->view()->statisticsBar()->exportButton()->isEnabled(); }
  // Starts a run at one sample a second and waits for its first samples.
  bool runFor(int samples) {
    if (!WaitFor([&] { return model().run.phase == RunPhase::Monitoring; }, 10000)) return false;
    window()->runCommand(ui::WindowCommand::Run);
    return WaitFor([&] { return model().store.sampleCount >= samples; }, 30000);
  }
  const std::vector<std::uint8_t>& received() { return meter.model().commandLog(); }
};

std::vector<std::uint8_t> Goodbye() {
  std::vector<std::uint8_t> frames(9, 0x02);           // DISCONNECT six times,
  std::fill_n(frames.begin(), 3, std::uint8_t{0x12});  // after EXIT three times
  return frames;
}

bool IsCloseQuestion(QWidget* w) {
  QMessageBox* box = testsupport::AsMessageBox(w);
  return box && box->text() == QStringLiteral("Do you want to save? ") &&
         box->standardButtons() == (QMessageBox::Yes | QMessageBox::No);
}

bool PressEscape(QWidget* w) {
  QTest::keyClick(w, Qt::Key_Escape);
  return true;
}

TEST(Closing, ACancelledCloseKeepsTheProgramTheRunAndTheLink) {
  LiveProgram p;
  ASSERT_TRUE(p.runFor(2));
  p.meter.model().clearCommandLog();
  const QString missingFolder = p.dir.path() + QStringLiteral("/gone/run.KvtDat");
  QString told;

  using Step = ModalAnswers::Step;
  const Step question = [](QWidget* w) { return IsCloseQuestion(w) && PressEscape(w); };
  const Step closeQuestion = [](QWidget* w) { return IsCloseQuestion(w) && w->close(); };
  const Step yes = [](QWidget* w) { return IsCloseQuestion(w) && testsupport::Click(w, QMessageBox::Yes); };
  const Step cancelSave = [](QWidget* w) { return testsupport::CancelFileDialog(w); };
  const Step escapeSave = [](QWidget* w) { return testsupport::AsFileDialog(w) && PressEscape(w); };
  const Step saveIntoMissingFolder = [&](QWidget* w) { return testsupport::ChooseInFileDialog(w, missingFolder); };
  const Step failureTold = [&](QWidget* w) {
    QMessageBox* box = testsupport::AsMessageBox(w);
    if (!box || box->icon() != QMessageBox::Warning) return false;
    told = box->text();
    return testsupport::Click(w, QMessageBox::Ok);
  };
  struct Way {
    const char* name;
    std::vector<Step> steps;
  };
  const Way ways[] = {
      {"Escape on the question", {question}},
      {"the question box closed", {closeQuestion}},
      {"Yes, then Cancel in the Save dialog", {yes, cancelSave}},
      {"Yes, then Escape in the Save dialog", {yes, escapeSave}},
      {"Yes, then a Save that fails", {yes, saveIntoMissingFolder, failureTold}},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const int held = p.model().store.sampleCount;
    ModalAnswers answers;
    for (const Step& step : way.steps) answers.then(step);
    EXPECT_FALSE(p.window()->close());
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_TRUE(p.window()->isVisible());
    EXPECT_GE(p.model().store.sampleCount, held);
    EXPECT_TRUE(RunGoing(p.model().run.phase));
    // Nothing was said to the meter and the port number was not written (a file
    // dialog that was shown may have kept its folder in the configuration).
    EXPECT_EQ(p.received(), std::vector<std::uint8_t>{});
    EXPECT_FALSE(ConfigText(p.config).contains(QStringLiteral("COM num")));
  }
  EXPECT_TRUE(told.startsWith(QStringLiteral("The run was not saved."))) << told.toStdString();
  // The link is as it was: the run goes on.
  const int held = p.model().store.sampleCount;
  ASSERT_TRUE(WaitFor([&] { return p.model().store.sampleCount >= held + 2; }, 10000));
  EXPECT_TRUE(p.meter.model().awake());

  // Yes with a Save that succeeds ends the program with the goodbye.
  const QString saved = p.dir.path() + QStringLiteral("/run.KvtDat");
  ModalAnswers answers;
  answers.then(yes).then([&](QWidget* w) { return testsupport::ChooseInFileDialog(w, saved); });
  EXPECT_TRUE(p.window()->close());
  EXPECT_TRUE(QFile::exists(saved));
  EXPECT_TRUE(ConfigText(p.config).contains(QStringLiteral("COM num")));
  ASSERT_TRUE(WaitFor([&] { return p.received().size() >= 9; }, 5000));
  EXPECT_EQ(p.received(), Goodbye());
}

TEST(Closing, TheGoodbyeIsTheLastThingTheMeterHearsHoweverLongTheQuestionWaits) {
  LiveProgram p;
  ASSERT_TRUE(p.runFor(2));
  p.meter.model().clearCommandLog();
  // The question stays open for three of the watchdog's periods, answered from the
  // question's own event loop.
  QElapsedTimer open;
  ModalAnswers answers;
  answers.then([&](QWidget* w) {
    if (!IsCloseQuestion(w)) return false;
    if (!open.isValid()) open.start();
    return open.elapsed() >= 15000 && testsupport::Click(w, QMessageBox::No);
  });
  // Ctrl+C and SIGTERM take the same way as the window's close.
  ASSERT_EQ(std::raise(SIGTERM), 0);
  ASSERT_TRUE(WaitFor([&] { return !p.window()->isVisible(); }, 60000));
  ASSERT_TRUE(WaitFor([&] { return p.received().size() >= 9; }, 5000));
  EXPECT_EQ(p.received(), Goodbye());
  EXPECT_EQ(p.window()->driver().watchdogDueIn(), -1);
  EXPECT_EQ(p.window()->driver().sampleTimerDueIn(), -1);
}

TEST(RunEnd, AMeterThatStopsAnsweringEndsTheRunAndTheStatusBarSaysSo) {
  LiveProgram p;
  ASSERT_TRUE(p.runFor(2));
  EXPECT_FALSE(p.exportEnabled());
  p.meter.model().setAwake(false);  // silent until the watchdog's CONNECT wakes it
  ASSERT_TRUE(WaitFor([&] { return !RunGoing(p.model().run.phase); }, kWatchdogWaitMs));
  const QString told = p.status();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Run ended: the meter stopped answering at \\d\\d:\\d\\d:\\d\\d; %1 samples held$")
                                     .arg(p.model().store.sampleCount))
                  .match(told)
                  .hasMatch())
      << told.toStdString();
  EXPECT_TRUE(p.exportEnabled());

  // The meter answers again; the status keeps saying why the run ended.
  int readings = 0;
  QObject::connect(&p.app->port(), &QtSerialPort::dataReceived, [&readings] { ++readings; });
  ASSERT_TRUE(WaitFor([&] { return p.model().run.phase == RunPhase::Monitoring && readings >= 3; }, kWatchdogWaitMs));
  EXPECT_EQ(p.status().toStdString(), told.toStdString());
  // Until the next command: Run, its save question answered No and its sample rate
  // left unconfirmed.
  ModalAnswers answers;
  answers.then([](QWidget* w) { return testsupport::Click(w, QMessageBox::No); });
  p.sampleRate = [](int, int*) { return false; };
  p.window()->runCommand(ui::WindowCommand::Run);
  EXPECT_EQ(answers.pending(), 0);
  EXPECT_EQ(p.status().toStdString(), "Ready");
}

TEST(RunEnd, AFullStoreEndsTheRunAndTheStatusBarSaysSo) {
  LiveProgram p;
  ASSERT_TRUE(p.runFor(1));
  // Fast-forward a long run: the store holds all but its last sample, each a copy of
  // the first.
  SampleStore& s = p.model().store;
  std::fill(s.values.begin() + 1, s.values.begin() + kMaxSamples, s.values[0]);
  std::fill(s.fullScaleAt.begin() + 1, s.fullScaleAt.begin() + kMaxSamples, s.fullScaleAt[0]);
  std::fill(s.toPsiAt.begin() + 1, s.toPsiAt.begin() + kMaxSamples, s.toPsiAt[0]);
  s.sampleCount = kMaxSamples - 1;
  ASSERT_TRUE(WaitFor([&] { return !RunGoing(p.model().run.phase); }, 10000));
  EXPECT_EQ(s.sampleCount, kMaxSamples);
  EXPECT_EQ(p.status().toStdString(), "Run ended: the store is full (17278 samples)");
  EXPECT_TRUE(p.exportEnabled());
  int readings = 0;
  QObject::connect(&p.app->port(), &QtSerialPort::dataReceived, [&readings] { ++readings; });
  ASSERT_TRUE(WaitFor([&] { return readings >= 3; }, 10000));
  EXPECT_EQ(p.status().toStdString(), "Run ended: the store is full (17278 samples)");
}

}  // namespace
}  // namespace pv::e2e
