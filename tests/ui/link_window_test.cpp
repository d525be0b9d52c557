// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "../core/live_fixtures.h"
#include "../core/recording_port.h"
#include "app_model.h"
#include "driver/session_driver.h"
#include "platform/qt_serial_port.h"
#include "ui/chart/chart_view.h"
#include "ui/panel/front_panel.h"
#include "ui/window/main_window.h"
#include "window_services.h"

namespace pv::ui {
namespace {

using test::ErrorBytes;
using test::ReadingBytes;

// The main window over a recording port whose port 1 is /dev/ttyUSB0.
struct Shell {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  std::unique_ptr<MainWindow> window;

  // startupFailure: the start-up's first port step fails with that kind.
  explicit Shell(std::optional<PortErrorKind> startupFailure = {}) {
    if (startupFailure) {
      port.failKind = *startupFailure;
      port.failAt = 0;
    }
    UserPrompts prompts;
    prompts.askSampleRate = [](int, int* value) { return *value = 1, true; };
    window = std::make_unique<MainWindow>(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()),
                                          PortsAt([](int n) { return "/dev/ttyUSB" + std::to_string(n - 1); }, prompts));
  }
  // The meter's block arrives and the port announces it.
  void receive(std::vector<std::uint8_t> block) {
    port.incoming.push_back(std::move(block));
    window->driver().receive();
  }
  std::string status() const { return window->messagePane()->text().toStdString(); }
  bool portMenuEnabled() const { return window->action(WindowCommand::Com1)->isEnabled(); }
};

// A pseudo-terminal whose device another program could hold; closed with the test.
struct Pty {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  std::string path;
  Pty() {
    if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) path = ptsname(master);
  }
  ~Pty() {
    if (master >= 0) close(master);
  }
};

TEST(LinkWindow, APortHeldByAnotherProgramIsToldAsInUseWithoutThePermissionAdvice) {
  Pty pty;
  ASSERT_FALSE(pty.path.empty());
  const auto resolver = [&](int) { return pty.path; };
  QtSerialPort holder(resolver);
  holder.open();
  QTemporaryDir dir;
  AppModel model;
  QtSerialPort port(resolver);
  MainWindow window(model, port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()), PortsAt(resolver));
  const QString text = window.messagePane()->text();
  EXPECT_TRUE(text.contains(QString::fromStdString(pty.path) + QStringLiteral(": in use by another program")))
      << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("dialout"))) << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("ermission"))) << text.toStdString();
}

TEST(LinkWindow, PortErrorsOfTheKeysAndTheWatchdogReachTheStatusBar) {
  struct Case {
    const char* what;
    std::function<void(Shell&)> act;
  };
  const Case cases[] = {
      {"a panel key's send", [](Shell& s) { s.window->view()->panel()->keyButton(Key::Light)->click(); }},
      {"the watchdog's reopen", [](Shell& s) { s.window->driver().watchdogTick(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Shell s;
    // A meter that answered twice (monitoring, keys enabled), then a watchdog tick
    // that found it alive: the next tick finds it silent.
    s.receive(ReadingBytes(test::kPsi, 0, 0, "1.000"));
    s.receive(ReadingBytes(test::kPsi, 0, 0, "1.000"));
    s.window->driver().watchdogTick();
    ASSERT_TRUE(s.window->view()->panel()->keyButton(Key::Light)->isEnabled());
    ASSERT_EQ(s.status(), "Ready");
    s.port.failAt = static_cast<int>(s.port.log.size());
    c.act(s);
    EXPECT_EQ(s.status(), "COM1 (/dev/ttyUSB0): refused");
  }
}

TEST(LinkWindow, ThePermissionAdviceFollowsTheKindOfTheErrorNotItsWords) {
  const std::pair<PortErrorKind, const char*> cases[] = {
      {PortErrorKind::Permission,
       "COM1 (/dev/ttyUSB0): refused - add your user to the dialout group and log in again"},
      {PortErrorKind::Busy, "COM1 (/dev/ttyUSB0): refused"},
      {PortErrorKind::Other, "COM1 (/dev/ttyUSB0): refused"},
  };
  for (const auto& [kind, status] : cases) {
    Shell s(kind);
    EXPECT_EQ(s.status(), status);
  }
}

TEST(LinkWindow, AnErrorFrameFirstDisablesThePortMenuAtOnce) {
  struct Case {
    const char* when;
    bool linkLostFirst;
  };
  for (const Case& c : {Case{"after start", false}, Case{"after a lost link", true}}) {
    SCOPED_TRACE(c.when);
    Shell s;
    if (c.linkLostFirst) {
      s.receive(ReadingBytes(test::kPsi, 0, 0, "1.000"));
      s.window->driver().watchdogTick();
      s.window->driver().watchdogTick();  // nothing since the last tick: lost
    }
    ASSERT_TRUE(s.portMenuEnabled());
    s.receive(ErrorBytes(0x10));
    EXPECT_FALSE(s.portMenuEnabled());
    EXPECT_FALSE(s.window->action(WindowCommand::OtherPort)->isEnabled());
  }
}

TEST(LinkWindow, TheZeroKeyShowsAtOnceWhatIngestionMakesOfIt) {
  Shell s;
  s.receive(ReadingBytes(test::kPsi, 0, 0, "1.000"));
  s.receive(ReadingBytes(test::kPsi, 0, 0, "1.000"));
  QPushButton* zero = s.window->view()->panel()->keyButton(Key::Zero);
  ASSERT_TRUE(zero->isEnabled());
  // Run confirmed: monitoring ends and ZERO is refused from the next frame on, even
  // one whose record byte names none of the meter's modes.
  s.window->runCommand(WindowCommand::Run);
  s.receive(ReadingBytes(test::kPsi, 5, 0, "1.000"));
  ASSERT_FALSE(s.model.panel.key(Key::Zero).enabled);
  EXPECT_FALSE(zero->isEnabled());
}

}  // namespace
}  // namespace pv::ui
