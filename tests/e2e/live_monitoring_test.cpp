// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app_model.h"
#include "e2e_support.h"
#include "live_window.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"
#include "ui/chart/chart_view.h"
#include "ui/window/main_window.h"
#include "ui/panel/front_panel.h"

namespace pv::e2e {
namespace {

TEST(LiveMonitoring, PanelFollowsTheMeterAndItsKeysReachIt) {
  LiveWindow w;
  int received = 0;
  QObject::connect(w.port.get(), &QtSerialPort::dataReceived, [&received] { ++received; });
  ASSERT_TRUE(WaitFor([&] { return w.model.panel.reading.size() == 6 && w.keyUsable(Key::Hold); }, 10000));
  EXPECT_EQ(w.model.panel.unit, "psi");

  w.meter.model().clearCommandLog();
  w.key(Key::Hold)->click();
  EXPECT_EQ(w.meter.model().commandLog().size(), 0u);  // not yet read by the meter
  ASSERT_TRUE(WaitFor([&] { return w.meter.model().commandLog().size() >= 6; }, 5000));
  EXPECT_EQ(w.meter.model().commandLog(), std::vector<std::uint8_t>(6, 0x05));
  // The panel switches at once; the meter's next frames confirm HOLD. Frames it sent
  // before it obeyed may still be on their way, and a plain one undoes the hold: the
  // reading is held once a frame carrying HOLD came in.
  EXPECT_EQ(w.model.panel.holdWord, "HOLD");
  EXPECT_TRUE(w.keyUsable(Key::Unhold));
  ASSERT_TRUE(
      WaitFor([&] { return w.meter.model().hold() && w.model.flags.hold && w.model.ingest.heldFrozen; },
              10000));
  const std::string held = w.model.panel.reading;
  const int heldAt = received;
  ASSERT_TRUE(WaitFor([&] { return received >= heldAt + 3; }, 10000));
  EXPECT_EQ(w.model.panel.reading, held);

  w.key(Key::Unhold)->click();
  ASSERT_TRUE(WaitFor([&] { return !w.meter.model().hold() && w.keyUsable(Key::Hold); }, 5000));
}

TEST(LiveMonitoring, RunCommitsOneSamplePerSecond) {
  LiveWindow w;
  ASSERT_TRUE(WaitFor([&] { return w.model.run.phase == RunPhase::Monitoring; }, 10000));
  int sent = 0, received = 0;
  QObject::connect(&w.meter, &PtyMeter::frameSent, [&sent] { ++sent; });
  QObject::connect(w.port.get(), &QtSerialPort::dataReceived, [&received] { ++received; });
  QElapsedTimer sinceRun;
  sinceRun.start();
  w.window->runCommand(ui::WindowCommand::Run);
  ASSERT_TRUE(WaitFor([&] { return w.model.store.sampleCount >= 3; }, 30000))
      << "samples " << w.model.store.sampleCount << ", running " << RunGoing(w.model.run.phase) << ", frames sent "
      << sent << ", received " << received << ", meter awake " << w.meter.model().awake() << ", port open "
      << w.port->isOpen() << ", commands " << w.meter.model().commandLog().size();
  // Four readings a second, but no more than one sample a second after the one taken at
  // the run's start, however late the test looks (half a second spare for the timer's
  // rounding).
  EXPECT_LE(w.model.store.sampleCount, 1 + (sinceRun.elapsed() + 500) / 1000);
  EXPECT_TRUE(CanStop(w.model.run.phase));
  w.window->runCommand(ui::WindowCommand::Stop);
  const int n = w.model.store.sampleCount;
  RunEventsFor(1500);
  EXPECT_EQ(w.model.store.sampleCount, n);
}

TEST(LiveMonitoring, UnpluggingShowsTheLostLinkAndReplugRestoresThePanel) {
  LiveWindow w;
  ASSERT_TRUE(WaitFor([&] { return w.keyUsable(Key::Light); }, 10000));
  w.meter.unplug();
  ASSERT_TRUE(WaitFor([&] { return w.model.panel.reading == "  - - - - "; }, kWatchdogWaitMs));
  for (int k = 0; k < kKeyCount; ++k) EXPECT_FALSE(w.key(static_cast<Key>(k))->isEnabled()) << k;
  EXPECT_TRUE(w.window->action(ui::WindowCommand::Com1)->isEnabled());  // the port menu is usable again

  ASSERT_TRUE(w.meter.plugIn());
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, kWatchdogWaitMs));
  EXPECT_FALSE(w.window->action(ui::WindowCommand::Com1)->isEnabled());
}

}  // namespace
}  // namespace pv::e2e
