// SPDX-License-Identifier: GPL-3.0-or-later
// COM Port > Find meter in the window against the simulated meter: the probe finds it,
// the choice goes into the [Ports] section under its stable name, and the window
// opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <memory>

#include "app_model.h"
#include "e2e_support.h"
#include "platform/config_file.h"
#include "platform/port_paths.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"
#include "ui/app/meter_app.h"
#include "ui/window/main_window.h"

namespace pv::e2e {
namespace {

QAction* FindMeterAction(ui::MainWindow& window) {
  for (QAction* menu : window.menuBar()->actions()) {
    if (!menu->menu()) continue;
    for (QAction* a : menu->menu()->actions())
      if (a->text().startsWith(QStringLiteral("&Find meter"))) return a;
  }
  return nullptr;
}

int Offered(const QStringList& meters, const std::string& device) {
  for (int i = 0; i < meters.size(); ++i)
    if (!device.empty() && meters[i].contains(QString::fromStdString(device))) return i;
  return -1;
}

// A window on a port that resolves through pathOf; Find meter picks the chosen device.
struct FindMeterWindow {
  QTemporaryDir dir;
  std::string ini = (dir.path() + QStringLiteral("/c.ini")).toStdString();
  AppModel model;
  std::unique_ptr<QtSerialPort> port;
  std::unique_ptr<ui::MainWindow> window;
  QStringList offered;
  int asked = 0;
  std::string chosen;  // the device Find meter's choice picks when offered

  // pathOf unset: the ports follow the [Ports] section of the test's own file.
  FindMeterWindow(std::function<std::string(int)> pathOf, ui::MeterSearch search, std::string runOnly = {}) {
    if (!pathOf) pathOf = [file = ini](int n) { return ResolvePortPath(n, ReadPortPaths(file)); };
    port = std::make_unique<QtSerialPort>(pathOf);
    ui::WindowServices services;
    services.pathOf = pathOf;
    services.meterSearch = std::move(search);
    services.prompts.askMeter = [this](const QStringList& meters) {
      offered = meters;
      ++asked;
      return Offered(meters, chosen);
    };
    services.prompts.askSampleRate = [](int, int* seconds) { return *seconds = 1, true; };
    window = std::make_unique<ui::MainWindow>(model, *port, SettingsFile(ini, std::move(runOnly)), std::move(services));
    ui::ConnectPortToWindow(*port, *window);
  }
  // Only a guard against a hang: the probe listens 1.5 s.
  bool findMeter() {
    const int before = asked;
    QAction* find = FindMeterAction(*window);
    if (!find) return false;
    find->trigger();
    return WaitFor([&] { return asked > before; }, 20000);
  }
};

TEST(FindMeter, TheChosenMeterBecomesTheCurrentPortUnderItsStableName) {
  QTemporaryDir dir;
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  const std::string byId = (dir.path() + QStringLiteral("/by-id")).toStdString();
  std::filesystem::create_directories(byId);
  const std::string stable = byId + "/usb-Sim_Meter_1-if00-port0";
  std::filesystem::create_symlink(meter.slavePath(), stable);

  // COM1 starts elsewhere.
  FindMeterWindow w(nullptr, {byId, {meter.slavePath()}});
  w.chosen = meter.slavePath();
  w.window->show();
  ASSERT_TRUE(w.findMeter());
  ASSERT_FALSE(w.offered.isEmpty());
  EXPECT_TRUE(w.offered[0].startsWith(QString::fromStdString(stable))) << w.offered[0].toStdString();
  EXPECT_EQ(ReadPortPaths(w.ini)[w.model.flags.portNumber], stable);
  // The probe said goodbye; the window then greets the meter and hears it.
  EXPECT_EQ(meter.model().commandCount(Command::Exit), 3);
  ASSERT_TRUE(WaitFor([&] { return w.model.run.phase == RunPhase::Monitoring; }, 20000));
  EXPECT_EQ(w.port->devicePath(), stable);
}

TEST(FindMeter, NoMeterLeavesThePortsSectionAlone) {
  QTemporaryDir dir;
  FindMeterWindow w(nullptr, {(dir.path() + QStringLiteral("/none")).toStdString(), {}});
  ASSERT_TRUE(w.findMeter());
  EXPECT_TRUE(w.offered.isEmpty());
  EXPECT_TRUE(ReadPortPaths(w.ini).empty());
}

TEST(FindMeter, ARunOnTheProgramsOwnMeterGoesOnWithoutAGoodbye) {
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  FindMeterWindow w([&](int) { return meter.slavePath(); }, {"/nonexistent", {}});
  w.chosen = meter.slavePath();
  w.window->show();
  ASSERT_TRUE(WaitFor([&] { return w.model.run.phase == RunPhase::Monitoring; }, 10000));
  w.window->runCommand(ui::WindowCommand::Run);
  ASSERT_TRUE(WaitFor([&] { return w.model.store.sampleCount >= 1; }, 20000));
  ASSERT_TRUE(w.findMeter());
  EXPECT_GE(Offered(w.offered, meter.slavePath()), 0) << "the meter in use is a meter";
  const int samples = w.model.store.sampleCount;
  EXPECT_TRUE(WaitFor([&] { return w.model.store.sampleCount > samples + 1; }, 20000)) << "the run goes on";
  EXPECT_EQ(meter.model().commandCount(Command::Exit), 0);
  EXPECT_TRUE(RunGoing(w.model.run.phase));
}

TEST(FindMeter, TheSimulatedMeterOfDemoIsNeverKeptInTheFile) {
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  // --demo's meter stands in for the configured port in this run only.
  FindMeterWindow w([&](int) { return meter.slavePath(); }, {"/nonexistent", {meter.slavePath()}}, meter.slavePath());
  w.chosen = meter.slavePath();
  w.window->show();
  for (bool answering : {true, false}) {
    SCOPED_TRACE(answering ? "the meter answering" : "the meter silent");
    if (answering) ASSERT_TRUE(WaitFor([&] { return w.model.run.phase == RunPhase::Monitoring; }, 10000));
    else w.model.run.phase = RunPhase::Idle;
    ASSERT_TRUE(w.findMeter());
    EXPECT_GE(Offered(w.offered, meter.slavePath()), 0);
    EXPECT_TRUE(ReadPortPaths(w.ini).empty());
  }
}

}  // namespace
}  // namespace pv::e2e
