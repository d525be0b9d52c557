// COM Port > Find meter in the window against the simulated meter: the probe finds it,
// the choice goes into the [Ports] section under its stable name, and the window
// opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <filesystem>

#include "app_model.h"
#include "e2e_support.h"
#include "platform/config_file.h"
#include "platform/port_paths.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"
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

TEST(FindMeter, TheChosenMeterBecomesTheCurrentPortUnderItsStableName) {
  QTemporaryDir dir;
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  const std::string ini = (dir.path() + QStringLiteral("/c.ini")).toStdString();
  const std::string byId = (dir.path() + QStringLiteral("/by-id")).toStdString();
  std::filesystem::create_directories(byId);
  const std::string stable = byId + "/usb-Sim_Meter_1-if00-port0";
  std::filesystem::create_symlink(meter.slavePath(), stable);

  // The port follows the [Ports] section of the test's own file; COM1 starts elsewhere.
  auto path = [ini](int n) { return ResolvePortPath(n, ReadPortPaths(ini)); };
  AppModel model;
  QtSerialPort port(path);
  ui::MainWindow window(model, port, &port, ini, path);
  window.meterSearch.stableFolder = byId;
  window.meterSearch.extraPaths = {meter.slavePath()};
  QStringList offered;
  window.prompts.askMeter = [&](const QStringList& meters) {
    offered = meters;
    for (int i = 0; i < meters.size(); ++i)
      if (meters[i].contains(QString::fromStdString(meter.slavePath()))) return i;
    return -1;
  };
  window.show();

  QAction* find = FindMeterAction(window);
  ASSERT_NE(find, nullptr);
  find->trigger();
  // Only a guard against a hang: the probe listens 1.5 s.
  ASSERT_TRUE(WaitFor([&] { return !offered.isEmpty(); }, 20000));
  EXPECT_TRUE(offered[0].startsWith(QString::fromStdString(stable))) << offered[0].toStdString();
  EXPECT_EQ(ReadPortPaths(ini)[model.flags.portNumber], stable);
  // The probe said goodbye; the window then greets the meter and hears it.
  EXPECT_EQ(meter.model().commandCount(Command::Exit), 3);
  ASSERT_TRUE(WaitFor([&] { return model.run.phase == RunPhase::Monitoring; }, 20000));
  EXPECT_EQ(port.devicePath(), stable);
}

TEST(FindMeter, NoMeterLeavesThePortsSectionAlone) {
  QTemporaryDir dir;
  const std::string ini = (dir.path() + QStringLiteral("/c.ini")).toStdString();
  auto path = [ini](int n) { return ResolvePortPath(n, ReadPortPaths(ini)); };
  AppModel model;
  QtSerialPort port(path);
  ui::MainWindow window(model, port, &port, ini, path);
  window.meterSearch.stableFolder = (dir.path() + QStringLiteral("/none")).toStdString();
  int asked = 0;
  window.prompts.askMeter = [&](const QStringList& meters) {
    ++asked;
    EXPECT_TRUE(meters.isEmpty());
    return -1;
  };
  QAction* find = FindMeterAction(window);
  ASSERT_NE(find, nullptr);
  find->trigger();
  ASSERT_TRUE(WaitFor([&] { return asked > 0; }, 20000));
  EXPECT_TRUE(ReadPortPaths(ini).empty());
}

}  // namespace
}  // namespace pv::e2e
