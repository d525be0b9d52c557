// SPDX-License-Identifier: GPL-3.0-or-later
// Runs that outlive a kill: the window and pneuvista-cli record journal a run at one
// sample a second, SIGKILL ends them, and the run comes back, through the window's
// question at the next start and through pneuvista-cli recover, holding every sample
// the journal shows was committed, value for value. A state folder that cannot take
// the journal leaves the run going and says so once.
#include <sys/mount.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

#include "app_model.h"
#include "e2e_support.h"
#include "files/datalogger_file.h"
#include "files/journal_format.h"
#include "files/read_file.h"
#include "files/run_journal.h"
#include "modal_answers.h"
#include "sim/pty_meter.h"
#include "ui/app/meter_app.h"
#include "ui/window/main_window.h"
#include "ui/window/save_question.h"
#include "ui/window/recovery_question.h"

namespace pv::e2e {
namespace {

constexpr int kKillAfterSamples = 6;
constexpr const char* kChildDevice = "PNEUVISTA_JOURNAL_CHILD_DEVICE";
constexpr const char* kChildState = "PNEUVISTA_JOURNAL_CHILD_STATE";

// What a journal folder holds now: the one journal's committed values, in order.
struct Journaled {
  std::string path;
  std::vector<float> values;
};

Journaled ReadJournal(const QString& folder) {
  const QStringList names = QDir(folder).entryList({QStringLiteral("*.pvjournal")}, QDir::Files);
  if (names.size() != 1) return {};
  Journaled j{(folder + QStringLiteral("/") + names[0]).toStdString(), {}};
  auto bytes = ReadWholeFile(j.path);
  auto store = std::make_unique<SampleStore>();
  if (!bytes) return j;
  auto decoded = DecodeJournal(bytes.value(), *store);
  if (decoded) j.values.assign(store->values.begin(), store->values.begin() + decoded.value().samples);
  return j;
}

// The saved file holds exactly these values, bit for bit.
void ExpectSavedValues(const QString& path, const std::vector<float>& values) {
  auto loaded = LoadDataLoggerFile(path.toStdString());
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  const LoggerStore& s = loaded.value().store;
  ASSERT_EQ(s.recordCount, static_cast<int>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(std::bit_cast<std::uint32_t>(s.values[i]), std::bit_cast<std::uint32_t>(values[i])) << i;
}

// Kills the program once its journal holds enough samples; returns them.
Journaled KillAfterJournaled(QProcess& process, const QString& folder) {
  Journaled j;
  WaitFor([&] {
    j = ReadJournal(folder);
    return static_cast<int>(j.values.size()) >= kKillAfterSamples || process.state() == QProcess::NotRunning;
  }, 60000);
  process.kill();
  process.waitForFinished();
  return ReadJournal(folder);
}

// Runs pneuvista-cli to its end while this process's event loop keeps the simulated
// meter streaming.
CliResult RunCliBesideMeter(const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(Binary("pneuvista-cli"), args);
  if (!WaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000)) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAllStandardOutput(),
          p.readAllStandardError()};
}

bool ClickButton(QWidget* w, const char* text, QString* question = nullptr) {
  QMessageBox* box = testsupport::AsMessageBox(w);
  if (!box) return false;
  for (QAbstractButton* b : box->buttons()) {
    if (b->text() != QString::fromLatin1(text)) continue;
    if (question) *question = box->text();
    b->click();
    return true;
  }
  return false;
}

// The program as main() builds it, offscreen, its journals in stateFolder, against the
// meter on device or a simulated meter of its own; the sample-rate dialog answers 1 s.
struct LiveApp {
  QTemporaryDir dir;
  std::unique_ptr<PtyMeter> meter;
  std::unique_ptr<ui::MeterApp> app;
  std::function<bool(int, int*)> sampleRate = [](int, int* seconds) { return *seconds = 1, true; };
  // Unset: the question box itself.
  std::function<SaveAnswer(const QString&)> saveAnswer;

  explicit LiveApp(const QString& stateFolder, std::string device = {}) {
    if (device.empty()) {
      meter = std::make_unique<PtyMeter>();
      meter->setFramesPerSecond(4);
      EXPECT_TRUE(meter->start()) << meter->errorString();
      device = meter->devicePath();
    }
    ui::StartOptions options;
    options.devicePath = device;
    options.configPath = (dir.path() + QStringLiteral("/c.ini")).toStdString();
    options.stateFolder = stateFolder.toStdString();
    options.showWindow = false;
    ui::UserPrompts prompts;
    prompts.askSampleRate = [this](int preset, int* seconds) { return sampleRate(preset, seconds); };
    prompts.askToSave = [this](const QString& q) { return saveAnswer ? saveAnswer(q) : ui::AskSaveQuestion(q, window()); };
    app = std::make_unique<ui::MeterApp>(options, prompts);
    EXPECT_TRUE(app->start());
  }
  ui::MainWindow* window() { return app->mainWindow(); }
  AppModel& model() { return app->model(); }
  // Run once the meter answers; true once the new run (its first reading cleared the
  // request) holds this many samples.
  bool runFor(int samples) {
    if (!WaitFor([&] { return model().run.phase == RunPhase::Monitoring; }, 10000)) return false;
    window()->runCommand(ui::WindowCommand::Run);
    return WaitFor([&] {
      const AppModel& m = model();
      return m.run.phase == RunPhase::Running && m.store.sampleCount >= samples;
    }, 30000);
  }
};

// The window's part, in a process of its own that the test kills: Run at one sample a
// second, then nothing until the kill.
TEST(JournalChild, RecordsInTheWindowUntilKilled) {
  const char* device = std::getenv(kChildDevice);
  const char* state = std::getenv(kChildState);
  if (!device || !state) GTEST_SKIP() << "run by Journal.AWindowKilledMidRunOffersItsRunAtTheNextStart";
  LiveApp live(QString::fromLocal8Bit(state), device);
  ASSERT_TRUE(live.runFor(1));
  WaitFor([] { return false; }, 120000);
}

TEST(Journal, AWindowKilledMidRunOffersItsRunAtTheNextStart) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/state/pneuvista");
  PtyMeter meter;
  meter.setFramesPerSecond(4);
  ASSERT_TRUE(meter.start()) << meter.errorString();

  QProcess window;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
  env.insert(QString::fromLatin1(kChildState), folder);
  env.insert(QString::fromLatin1(kChildDevice), QString::fromStdString(meter.devicePath()));
  window.setProcessEnvironment(env);
  window.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--gtest_filter=JournalChild.RecordsInTheWindowUntilKilled")});
  const Journaled committed = KillAfterJournaled(window, folder);
  ASSERT_GE(committed.values.size(), static_cast<std::size_t>(kKillAfterSamples))
      << window.readAllStandardOutput().toStdString() << window.readAllStandardError().toStdString();

  // The next start asks about the run; Recover, then Save.
  const QString saved = dir.path() + QStringLiteral("/recovered.KvtDat");
  QString question;
  testsupport::ModalAnswers answers;
  answers.then([&](QWidget* w) { return ClickButton(w, ui::kRecoverButton, &question); })
      .then([&](QWidget* w) { return testsupport::ChooseInFileDialog(w, saved); });
  LiveApp live(folder, meter.devicePath());
  ASSERT_TRUE(WaitFor([&] { return answers.pending() == 1; }, 10000));
  const int n = static_cast<int>(committed.values.size());
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^A run of %1 samples started \\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d was not saved\\.$").arg(n))
                  .match(question)
                  .hasMatch())
      << question.toStdString();
  // As after Stop: the statistics bar, Save, Export.
  const AppModel& model = live.model();
  EXPECT_EQ(model.store.sampleCount, n);
  EXPECT_FALSE(RunGoing(model.run.phase));
  EXPECT_EQ(model.statsBar.sampleCount, std::to_string(n));
  EXPECT_FALSE(model.statsBar.startTime.empty());
  EXPECT_EQ(model.statsBar.interval, "1");
  EXPECT_TRUE(RunOnShow(model.run.phase, model.store.sampleCount));
  EXPECT_TRUE(live.window()->action(ui::WindowCommand::SaveRun)->isEnabled());
  EXPECT_TRUE(live.window()->action(ui::WindowCommand::Print)->isEnabled());
  live.window()->runCommand(ui::WindowCommand::SaveRun);
  EXPECT_EQ(answers.pending(), 0);
  ExpectSavedValues(saved, committed.values);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(committed.path))) << "the saved run's journal stays";
}

TEST(Journal, TheWindowKeepsAJournalUntilItsRunIsSavedOrGivenUp) {
  QTemporaryDir dir;
  const QString folder = dir.path() + QStringLiteral("/state/pneuvista");
  LiveApp live(folder);
  ui::MainWindow* window = live.window();
  live.saveAnswer = [](const QString&) { return SaveAnswer::DontSave; };
  auto journals = [&] { return QDir(folder).entryList({QStringLiteral("*.pvjournal")}, QDir::Files); };
  ASSERT_TRUE(live.runFor(2));
  window->runCommand(ui::WindowCommand::Stop);
  const QStringList first = journals();
  ASSERT_EQ(first.size(), 1);

  // A Save that fails keeps the journal.
  testsupport::ModalAnswers answers;
  answers.then([&](QWidget* w) { return testsupport::ChooseInFileDialog(w, dir.path() + QStringLiteral("/gone/run")); })
      .then([](QWidget* w) { return testsupport::Click(w, QMessageBox::Ok); });
  window->runCommand(ui::WindowCommand::SaveRun);
  EXPECT_EQ(answers.pending(), 0);
  EXPECT_EQ(journals(), first);

  // No to Run's question, then the sample-rate dialog cancelled: the run stays, and so
  // does its journal.
  auto rate = live.sampleRate;
  int asked = 0;
  live.sampleRate = [&](int, int*) { return ++asked, false; };
  ASSERT_TRUE(WaitFor([&] { return live.model().run.phase == RunPhase::Monitoring; }, 10000));
  window->runCommand(ui::WindowCommand::Run);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(journals(), first);
  live.sampleRate = rate;

  // No to Run's question gives the run up; the new run has a journal of its own.
  ASSERT_TRUE(live.runFor(2));
  const QStringList second = journals();
  ASSERT_EQ(second.size(), 1);
  EXPECT_NE(second, first);

  // No to the close question gives it up too.
  EXPECT_TRUE(window->closeSequence());
  EXPECT_TRUE(journals().isEmpty());
}

TEST(Journal, ARecordKilledMidRunIsWrittenByRecover) {
  QTemporaryDir dir;
  PtyMeter meter;
  meter.setFramesPerSecond(4);
  ASSERT_TRUE(meter.start()) << meter.errorString();
  Program record;
  const QString state = record.config.path() + QStringLiteral("/state");
  const QString folder = state + QStringLiteral("/pneuvista");
  const QString never = dir.path() + QStringLiteral("/never.KvtDat");
  record.start(Binary("pneuvista-cli"), {QStringLiteral("record"), QStringLiteral("--device"),
                                         QString::fromStdString(meter.devicePath()), QStringLiteral("--interval"),
                                         QStringLiteral("1"), QStringLiteral("--out"), never});
  const Journaled committed = KillAfterJournaled(record.process, folder);
  ASSERT_GE(committed.values.size(), static_cast<std::size_t>(kKillAfterSamples)) << record.err.toStdString();
  EXPECT_FALSE(QFile::exists(never));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_STATE_HOME"), state);
  const QString out = dir.path() + QStringLiteral("/recovered.KvtDat");
  const CliResult list = RunCli({QStringLiteral("recover"), QStringLiteral("--list")}, env);
  EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
  EXPECT_TRUE(list.out.startsWith(QByteArray::fromStdString(committed.path + "\t" +
                                                             std::to_string(committed.values.size()) + "\t")))
      << list.out.toStdString();
  EXPECT_TRUE(list.out.endsWith("\t1\tpsi\n")) << list.out.toStdString();

  struct Step {
    QStringList args;
    int exitCode;
  };
  const Step steps[] = {
      {{QStringLiteral("recover")}, 2},
      {{QStringLiteral("recover"), QStringLiteral("--out"), dir.path() + QStringLiteral("/missing/run.KvtDat")}, 1},
      {{QStringLiteral("recover"), QStringLiteral("--out"), out}, 0},
      {{QStringLiteral("recover"), QStringLiteral("--out"), out}, 1},  // nothing left
      {{QStringLiteral("recover"), QStringLiteral("--list")}, 1},
  };
  for (const Step& s : steps) {
    const CliResult r = RunCli(s.args, env);
    EXPECT_EQ(r.exitCode, s.exitCode) << s.args.join(QLatin1Char(' ')).toStdString() << ": " << r.err.toStdString();
  }
  ExpectSavedValues(out, committed.values);
  EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/recovered.txt")));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(committed.path)));
}

// A tmpfs of its own, when this process may mount one.
struct SmallState {
  QTemporaryDir dir;
  std::string path = dir.path().toStdString();
  bool mounted = false;
  std::string error;

  SmallState() {
    mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") == 0;
    if (!mounted) error = std::string("mount tmpfs: ") + std::strerror(errno);
  }
  bool fill() {
    std::ofstream filler(path + "/filler", std::ios::binary);
    const std::string chunk(4096, 'x');
    while (filler.write(chunk.data(), chunk.size())) {
    }
    return true;
  }
  bool remountReadOnly() {
    if (::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") == 0) return true;
    error = std::string("remount read-only: ") + std::strerror(errno);
    return false;
  }
  ~SmallState() {
    if (mounted) ::umount2(path.c_str(), MNT_DETACH);
  }
};

TEST(Journal, AFullOrReadOnlyStateFolderLeavesTheRunGoingAndSaysSoOnce) {
  struct Case {
    const char* name;
    bool readOnly;
    const char* reason;
  };
  const Case cases[] = {{"full", false, "No space left on device"}, {"read-only", true, "Read-only file system"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmallState state;
    if (!state.mounted) GTEST_SKIP() << "needs to mount a small tmpfs (root in a namespace that allows it): " << state.error;
    // The journal folder exists, so that the full device fails the journal's own writes.
    QDir().mkpath(QString::fromStdString(state.path + "/pneuvista"));
    ASSERT_TRUE(c.readOnly ? state.remountReadOnly() : state.fill()) << state.error;
    QTemporaryDir dir;
    PtyMeter meter;
    meter.setFramesPerSecond(4);
    ASSERT_TRUE(meter.start()) << meter.errorString();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_STATE_HOME"), QString::fromStdString(state.path));
    const QString out = dir.path() + QStringLiteral("/run.KvtDat");
    const CliResult r = RunCliBesideMeter({QStringLiteral("record"), QStringLiteral("--device"),
                                QString::fromStdString(meter.devicePath()), QStringLiteral("--interval"),
                                QStringLiteral("1"), QStringLiteral("--samples"), QStringLiteral("3"),
                                QStringLiteral("--out"), out},
                               env);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count("The run is not journaled"), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("recorded 3 samples")) << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_TRUE(QDir(QString::fromStdString(state.path + "/pneuvista")).entryList(QDir::Files).isEmpty());
  }
}

TEST(Journal, TheWindowsStatusBarSaysOnceThatARunIsNotJournaled) {
  // A folder that cannot be made: /proc takes no new folders.
  LiveApp live(QStringLiteral("/proc/pneuvista-state/pneuvista"));
  ASSERT_TRUE(live.runFor(2));
  const QString told = live.window()->messagePane()->text();
  EXPECT_TRUE(told.startsWith(QStringLiteral("The run is not journaled: /proc/pneuvista-state"))) << told.toStdString();
  EXPECT_TRUE(RunGoing(live.model().run.phase));
}

}  // namespace
}  // namespace pv::e2e
