// SPDX-License-Identifier: GPL-3.0-or-later
// Faults the program meets in the field, end to end: cables pulled in the middle of a
// run, a line full of broken frames, and disks that are full or read-only. Nothing may
// crash and nothing already held may be lost.
#include <errno.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "app_model.h"
#include "e2e_support.h"
#include "live_window.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"
#include "ui/chart/chart_view.h"
#include "ui/files/file_commands.h"
#include "ui/window/main_window.h"
#include "ui/panel/front_panel.h"

namespace pv::e2e {
namespace {


// Unplug cycles of the survival tests in all, shared by the meter speeds below;
// PNEUVISTA_UNPLUG_CYCLES overrides. A cycle lasts three watchdog periods (the link
// returns at a reopen, the run needs its samples, the loss is seen two ticks later),
// about 15 s, so the cycles are split over tests that can run side by side.
int UnplugCycles() {
  const int n = qEnvironmentVariableIntValue("PNEUVISTA_UNPLUG_CYCLES");
  return n > 0 ? n : 20;
}
constexpr double kUnplugRates[] = {4.0, PtyMeter::kMaxFramesPerSecond};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

using FaultWindow = LiveWindow;

// Saves the run through the Save command into path; returns the failure told, if any.
QString SaveThroughCommand(AppModel& model, const QString& path, bool exportSheet = false) {
  ui::RunFileCommands commands(model, nullptr);
  QString told;
  commands.chooseFile = [&](const ui::FileDialogRequest&, std::string&) { return path; };
  commands.reportFailure = [&](const QString& message) { told = message; };
  if (exportSheet) {
    commands.exportExcel();
  } else {
    commands.saveRun();
  }
  return told;
}

// The run's samples as they stand.
std::vector<float> Samples(const AppModel& m) {
  return {m.store.values.begin(), m.store.values.begin() + m.store.sampleCount};
}

// Saves the run through the Save command and loads the file back: the samples it holds.
std::vector<float> SavedAndLoaded(AppModel& model, const QString& path) {
  EXPECT_EQ(SaveThroughCommand(model, path), QString());
  auto saved = LoadDataLoggerFile(path.toStdString());
  if (!saved.ok()) {
    ADD_FAILURE() << saved.error().message;
    return {};
  }
  const LoggerStore& store = saved.value().store;
  return {store.values.begin(), store.values.begin() + store.recordCount};
}

// What the window held when a wait ran out: enough to tell a run that never started
// from one that ended early or one that stopped taking samples.
std::string RunStateOf(const FaultWindow& w) {
  const AppModel& m = w.model;
  std::ostringstream s;
  s << "phase " << static_cast<int>(m.run.phase) << ", samples " << m.store.sampleCount
    << ", frames " << m.ingest.framesIngested << ", panel '" << m.panel.reading << "', port open "
    << w.port->isOpen();
  return s.str();
}

class UnplugDuringRuns : public ::testing::TestWithParam<int> {};

TEST_P(UnplugDuringRuns, EndThroughTheWatchdogKeepTheSamplesAndRelink) {
  const int share = GetParam();
  const int parts = static_cast<int>(std::size(kUnplugRates));
  const int cycles = UnplugCycles() / parts + (share < UnplugCycles() % parts ? 1 : 0);
  FaultWindow w(kUnplugRates[share]);
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, kWatchdogWaitMs));
  for (int cycle = 0; cycle < cycles; ++cycle) {
    SCOPED_TRACE(cycle);
    w.window->runCommand(ui::WindowCommand::Run);
    // The run starts with the next reading; the previous run's samples count only until then.
    ASSERT_TRUE(WaitFor([&] { return w.model.run.phase == RunPhase::Running && w.model.store.sampleCount >= 2; },
                        kWatchdogWaitMs))
        << RunStateOf(w);

    w.meter.unplug();
    ASSERT_TRUE(WaitFor([&] { return !RunGoing(w.model.run.phase); }, kWatchdogWaitMs));
    EXPECT_EQ(w.model.panel.reading, kLinkLostReading);

    // The samples committed before the cable went stay, and can be saved.
    const std::vector<float> held = Samples(w.model);
    ASSERT_GE(held.size(), 2u);
    EXPECT_EQ(SavedAndLoaded(w.model, w.dir.path() + QStringLiteral("/run%1.KvtDat").arg(cycle)), held);

    ASSERT_TRUE(w.meter.plugIn());
    ASSERT_TRUE(WaitFor([&] { return w.linked(); }, kWatchdogWaitMs));
    EXPECT_EQ(Samples(w.model), held);  // a new run starts only on Run
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, UnplugDuringRuns, ::testing::Range(0, static_cast<int>(std::size(kUnplugRates))),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("SlowMeter") : std::string("MeterAtTheLineLimit");
                         });

TEST(Faults, BrokenFramesAtTheLineLimitLeaveTheRunAndTheLinkWhole) {
  FaultWindow w(PtyMeter::kMaxFramesPerSecond);
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, kWatchdogWaitMs));
  w.window->runCommand(ui::WindowCommand::Run);
  ASSERT_TRUE(WaitFor([&] { return w.model.run.phase == RunPhase::Running && w.model.store.sampleCount >= 1; },
                      kWatchdogWaitMs));
  const std::vector<float> before = Samples(w.model);

  // Between the meter's own frames, one broken frame of every kind in turn, as fast as
  // the line carries them.
  int faults = 0;
  QTimer injector;
  QObject::connect(&injector, &QTimer::timeout, [&] {
    switch (faults++ % 5) {
      case 0: w.meter.injectGarbage(QByteArray::fromHex("aa56ff00") + QByteArray(9, '\xaa')); break;
      case 1: w.meter.sendSplitFrame(5); break;
      case 2: w.meter.sendJoinedFrames(); break;
      case 3: w.meter.injectError(1 + faults % 4); break;
      default: w.meter.injectGarbage(QByteArray("\x00\xff\x55\xaa\x57", 5)); break;
    }
  });
  injector.start(static_cast<int>(1000 / PtyMeter::kMaxFramesPerSecond));
  // Every kind many times over, and the good frames between them still make samples.
  ASSERT_TRUE(WaitFor(
      [&] { return faults >= 250 && w.model.store.sampleCount >= static_cast<int>(before.size()) + 3; }, 60000))
      << faults << " broken frames, " << w.model.store.sampleCount << " samples";
  injector.stop();

  const std::vector<float> after = Samples(w.model);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin())) << "a sample taken before was changed";
  for (int i = 0; i < w.model.store.sampleCount; ++i) {
    EXPECT_TRUE(std::isfinite(after[i])) << i;
    EXPECT_LT(w.model.store.unitAt[i], kUnitCount) << i;
  }
  // The run still saves whole, and the link is alive once the broken frames stop.
  w.window->runCommand(ui::WindowCommand::Stop);
  EXPECT_EQ(SavedAndLoaded(w.model, w.dir.path() + QStringLiteral("/run.KvtDat")), Samples(w.model));
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, kWatchdogWaitMs));
}

// A small file system mounted for one test and unmounted whatever happens.
struct SmallDevice {
  QTemporaryDir dir;
  std::string path = dir.path().toStdString();
  bool mounted = false;
  std::string error;

  explicit SmallDevice(const char* options) {
    if (::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0) {
      mounted = true;
    } else {
      error = std::string("mount tmpfs: ") + std::strerror(errno);
    }
  }
  bool remountReadOnly(const char* options) {
    if (::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, options) == 0) return true;
    error = std::string("remount read-only: ") + std::strerror(errno);
    return false;
  }
  ~SmallDevice() {
    if (mounted) ::umount2(path.c_str(), MNT_DETACH);
  }
};

// A committed run of n samples, as acquisition leaves it.
void MakeRun(AppModel& m, int n) {
  m.run.startTime = 1700000000;
  m.run.intervalMs = 1000;
  m.run.startText = "10:00:00";
  m.run.endText = "10:10:00";
  for (int i = 0; i < n; ++i) {
    m.store.values[i] = static_cast<float>(i % 400) * 0.125f;
    std::snprintf(m.store.texts[i].data(), 6, "+%04d", i % 10000);
    m.store.fullScaleAt[i] = kUnits[kUnitPsi].fullScale;
    m.store.toPsiAt[i] = 1.0f;
    m.store.unitAt[i] = kUnitPsi;
    m.store.unitNameAt[i] = kUnits[kUnitPsi].name;
  }
  m.store.sampleCount = n;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const QString& n : QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden)) names.push_back(n.toStdString());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Faults, SaveAndExportOntoAFullOrReadOnlyDeviceTellTheUserAndKeepEverything) {
  struct Case {
    const char* name;
    bool readOnly;
    bool exportSheet;
  };
  const Case cases[] = {{"save onto a full device", false, false},
                        {"export onto a full device", false, true},
                        {"save into a read-only folder", true, false},
                        {"export into a read-only folder", true, true}};
  auto model = std::make_unique<AppModel>();
  MakeRun(*model, kMaxSamples);  // about 260 KB of data file: more than the device holds
  const std::vector<float> values(model->store.values.begin(), model->store.values.begin() + kMaxSamples);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmallDevice device("size=64k");
    if (!device.mounted) GTEST_SKIP() << "needs to mount a small tmpfs (root in a namespace that allows it): " << device.error;
    const std::string name = c.exportSheet ? "/run.xls" : "/run.KvtDat";
    const std::string target = device.path + name;
    const std::string table = device.path + "/run.txt";
    const std::string old = "the previous run, which must survive";
    std::ofstream(target) << old;
    if (!c.exportSheet) std::ofstream(table) << old;
    if (c.readOnly) {
      ASSERT_TRUE(device.remountReadOnly("size=64k")) << device.error;
    } else {
      // Fill what is left, so that even the first block of a new file fails.
      std::ofstream filler(device.path + "/filler", std::ios::binary);
      const std::string chunk(4096, 'x');
      while (filler.write(chunk.data(), chunk.size())) {
      }
    }
    const std::vector<std::string> filesBefore = FilesIn(device.path);

    const QString told = SaveThroughCommand(*model, QString::fromStdString(target), c.exportSheet);
    EXPECT_FALSE(told.isEmpty()) << "the user was not told";
    EXPECT_TRUE(told.contains(c.readOnly ? QStringLiteral("Read-only") : QStringLiteral("No space left")))
        << told.toStdString();
    EXPECT_EQ(ReadFile(target), old);
    if (!c.exportSheet) {
      EXPECT_EQ(ReadFile(table), old);
    }
    EXPECT_EQ(FilesIn(device.path), filesBefore) << "a temporary file was left behind";
    EXPECT_EQ(model->store.sampleCount, kMaxSamples);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), model->store.values.begin()));
  }
}

}  // namespace
}  // namespace pv::e2e
