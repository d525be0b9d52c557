// Faults the program meets in the field, end to end: cables pulled in the middle of a
// run, a line full of broken frames, and disks that are full or read-only. Nothing may
// crash and nothing already held may be lost.
#include <errno.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime's allocator interface, whose header not every compiler ships.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

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

// Under AddressSanitizer freed blocks wait in a quarantine of up to 256 MB before they are
// reused, so the resident size grows without any leak; the allocator's count of live
// bytes is what stays flat there.
long LiveHeapKiB() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
  return -1;
#endif
}

long ResidentKiB() { return testsupport::ProcStatusKiB("VmRSS:"); }

using FaultWindow = LiveWindow;

// Saves the run through the Save command into path; returns the failure told, if any.
QString SaveThroughCommand(AppModel& model, const QString& path, bool exportSheet = false) {
  ui::RunFileCommands commands(model, nullptr);
  QString told;
  commands.chooseFile = [&](const ui::FileDialogRequest&) { return path; };
  commands.reportFailure = [&](const QString& message) { told = message; };
  if (exportSheet) {
    commands.exportExcel();
  } else {
    commands.saveRun();
  }
  return told;
}

class UnplugDuringRuns : public ::testing::TestWithParam<int> {};

TEST_P(UnplugDuringRuns, EndThroughTheWatchdogKeepTheSamplesAndRelink) {
  const int share = GetParam();
  const int parts = static_cast<int>(std::size(kUnplugRates));
  const int cycles = UnplugCycles() / parts + (share < UnplugCycles() % parts ? 1 : 0);
  FaultWindow w(kUnplugRates[share]);
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, 10000));
  int survived = 0;
  qint64 slowestLossMs = 0, slowestReturnMs = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    SCOPED_TRACE(cycle);
    w.window->runCommand(ui::Command::Run);
    // The run starts with the next reading; the previous run's samples count only until then.
    ASSERT_TRUE(WaitFor([&] { return !w.model.flags.runRequested && w.model.store.sampleCount >= 2; }, 8000));

    QElapsedTimer lost;
    lost.start();
    w.meter.unplug();
    ASSERT_TRUE(WaitFor([&] { return !w.model.flags.running; }, 11000));
    slowestLossMs = std::max(slowestLossMs, lost.elapsed());
    EXPECT_LE(lost.elapsed(), 10500);  // two watchdog periods and the event loop's slack
    EXPECT_EQ(w.model.panel.reading, kLinkLostReading);

    // The samples committed before the cable went stay, and can be saved.
    const int held = w.model.store.sampleCount;
    ASSERT_GE(held, 2);
    const std::vector<float> values(w.model.store.values.begin(), w.model.store.values.begin() + held);
    const QString path = w.dir.path() + QStringLiteral("/run%1.KvtDat").arg(cycle);
    EXPECT_EQ(SaveThroughCommand(w.model, path), QString());
    auto saved = LoadDataLoggerFile(path.toStdString());
    ASSERT_TRUE(saved.ok()) << saved.error().message;
    EXPECT_EQ(saved.value().store.recordCount, held);
    EXPECT_EQ(std::vector<float>(saved.value().store.values.begin(),
                                 saved.value().store.values.begin() + held),
              values);

    QElapsedTimer back;
    back.start();
    ASSERT_TRUE(w.meter.plugIn());
    ASSERT_TRUE(WaitFor([&] { return w.linked(); }, 12000));
    slowestReturnMs = std::max(slowestReturnMs, back.elapsed());
    EXPECT_EQ(w.model.store.sampleCount, held);  // a new run starts only on Run
    ++survived;
  }
  std::printf("unplug cycles survived at %g frames/s: %d of %d; slowest loss %lld ms, slowest return %lld ms\n",
              kUnplugRates[share], survived, cycles, static_cast<long long>(slowestLossMs),
              static_cast<long long>(slowestReturnMs));
  EXPECT_EQ(survived, cycles);
}

INSTANTIATE_TEST_SUITE_P(Faults, UnplugDuringRuns, ::testing::Range(0, static_cast<int>(std::size(kUnplugRates))),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("SlowMeter") : std::string("MeterAtTheLineLimit");
                         });

TEST(Faults, BrokenFramesAtTheLineLimitLeaveMemoryFlat) {
  FaultWindow w(PtyMeter::kMaxFramesPerSecond);
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, 10000));
  int frames = 0, faults = 0;
  QObject::connect(&w.meter, &PtyMeter::frameSent, [&] { ++frames; });
  // Between the meter's own frames, one broken frame of every kind in turn, as fast as
  // the line carries them.
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
  w.window->runCommand(ui::Command::Run);

  // The first seconds allocate what the window keeps (fonts, images, the run's texts).
  RunEventsFor(3000);
  const long before = ResidentKiB(), heapBefore = LiveHeapKiB();
  const int framesBefore = frames + faults;
  RunEventsFor(20000);
  injector.stop();
  const long after = ResidentKiB(), heapAfter = LiveHeapKiB();
  const int fed = frames + faults - framesBefore;
  std::printf("frames fed in 20 s: %d (%d broken in all); VmRSS %ld KiB before, %ld KiB after", fed, faults, before,
              after);
  if (heapBefore >= 0) std::printf("; live heap %ld KiB before, %ld KiB after", heapBefore, heapAfter);
  std::printf("\n");
  EXPECT_GT(fed, 20 * 100);
  EXPECT_GT(w.model.store.sampleCount, 10);  // the good frames still made samples
  constexpr long kMarginKiB = 4096;
  if (heapBefore >= 0) {
    EXPECT_LE(heapAfter - heapBefore, kMarginKiB) << "live heap grew by " << (heapAfter - heapBefore) << " KiB";
  } else {
    EXPECT_LE(after - before, kMarginKiB) << "resident memory grew by " << (after - before) << " KiB";
  }
  // And the link is still alive once the broken frames stop.
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, 5000));
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
