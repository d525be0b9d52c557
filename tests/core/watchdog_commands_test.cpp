// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/port_commands.h"
#include "link/watchdog.h"
#include "live_fixtures.h"
#include "panel/panel_rows.h"
#include "recording_port.h"
#include "session_script.h"

namespace pv {
namespace {

using namespace test;
using Log = std::vector<std::string>;

const std::string kConnect = "write 55 AA 01";

Log ReopenLog(int port) {
  return {
      "close", "select " + std::to_string(port), "readlen 0", "discard", "open", kConnect, kConnect,
      kConnect};
}

// The meter answers, in HOLD, a run takes samples, then the meter falls silent.
TEST(Watchdog, ASilentMeterIsDeclaredLostAndThePortReopened) {
  SessionScript s;
  s.send(ReadingBytes(kPsi, 0, kHold, "1.000"));
  s.session.run(s.user);
  s.send(ReadingBytes(kPsi, 0, kHold, "1.000"));
  EXPECT_FALSE(s.session.watchdogTick().lost);  // a frame since the last tick
  s.port.log.clear();
  s.seen = RecordingObserver{};
  EXPECT_TRUE(s.session.watchdogTick().lost);
  EXPECT_EQ(s.port.log, ReopenLog(1));
  const PanelState& panel = s.model.panel;
  EXPECT_EQ(panel.reading, "  - - - - ");
  EXPECT_EQ(panel.unit, " ");
  EXPECT_TRUE(panel.holdWord.empty() && panel.difWord.empty() && panel.recWord.empty());
  for (const auto& k : panel.keys) EXPECT_FALSE(k.enabled);
  for (bool e : s.model.flags.portMenuEnabled) EXPECT_TRUE(e);
  EXPECT_EQ(s.model.run.phase, RunPhase::Idle);
  EXPECT_EQ(s.seen.fields.front(), PanelField::Reading);
  EXPECT_EQ(s.seen.panel, 1);
}

// A lost link ends a going run as Stop would, and says so once; a Run still waiting for
// its first reading ends too, so the meter's return starts no run nobody records.
TEST(Watchdog, ALostLinkEndsAGoingRunAsStopWouldAndSaysSo) {
  struct Case {
    const char* state;
    int readingsAfterRun;  // -1: no Run
    bool told;
  };
  const Case cases[] = {
      {"running", 12, true},
      {"waiting for its first reading", 0, true},
      {"no run", -1, false},
  };
  for (const auto& c : cases) {
    SessionScript s;
    // The run on show: eleven samples.
    s.startRun();
    s.streamTo(s.now + 11000, "1.000");
    s.session.stop();
    s.reading();
    if (c.readingsAfterRun >= 0) s.session.run(s.user);
    for (int k = 0; k < c.readingsAfterRun; ++k) s.streamTo(s.now + 1000, "2.000");
    const int held = s.samples();
    for (int tick = 0; tick < 3; ++tick) s.session.watchdogTick();  // the second finds silence
    EXPECT_EQ(s.seen.runEnds, c.told ? std::vector<RunEnd>{RunEnd::LinkLost} : std::vector<RunEnd>{}) << c.state;
    s.reading("3.000");  // the meter is back
    s.passTo(s.now + 5000);
    EXPECT_EQ(s.samples(), held) << c.state;
    EXPECT_EQ(s.model.run.phase, RunPhase::Monitoring) << c.state;
    EXPECT_EQ(s.sample(0), c.readingsAfterRun > 0 ? "2.000" : "1.000");
  }
}

TEST(Watchdog, OnlyATickWithoutFramesDeclaresTheLinkLost) {
  struct Case {
    int comPort;
    std::vector<bool> framesBeforeTick;  // per tick
    std::vector<bool> lost;
  };
  const Case cases[] = {
      {1, {false, false, false}, {true, true, true}},  // retried every tick
      {5, {false, false}, {false, true}},              // the first tick only sets the flags
      {16, {false, true, true, false}, {false, false, false, true}},
      {2, {true, true, false}, {false, false, true}},
      {25, {false, false}, {false, true}},  // no per-number flag, menu flags still work
      {-3, {false, false}, {false, true}},
  };
  for (const auto& c : cases) {
    AppModel m;
    m.flags.initialise(c.comPort);
    RecordingPort port;
    std::vector<bool> lost;
    for (bool frames : c.framesBeforeTick) {
      if (frames) Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"));
      lost.push_back(WatchdogTick(m, port, NullObserver()));
    }
    EXPECT_EQ(lost, c.lost) << "COM " << c.comPort;
  }
}

TEST(Watchdog, EveryTickArmsTheFlagsOfTheSelectedPort) {
  AppModel m;
  m.flags.initialise(7);
  RecordingPort port;
  EXPECT_FALSE(WatchdogTick(m, port, NullObserver()));
  EXPECT_TRUE(port.log.empty());
  for (bool f : m.flags.awaiting.menu) EXPECT_TRUE(f);
  for (int n = 0; n < kPortNumbers; ++n) EXPECT_EQ(m.flags.awaiting.number[n], n == 7) << n;
  Feed(m, ErrorBytes(0x10));  // an error frame is a sign of life as well
  for (bool f : m.flags.awaiting.menu) EXPECT_FALSE(f);
  EXPECT_FALSE(m.flags.awaiting.number[7]);
  EXPECT_FALSE(WatchdogTick(m, port, NullObserver()));
}

TEST(Watchdog, AFailingReopenIsReportedAndRetriedNextTick) {
  AppModel m;
  m.flags.initialise(3);
  RecordingPort port;
  port.failAt = 0;
  std::string error;
  EXPECT_TRUE(WatchdogTick(m, port, NullObserver(), &error));
  EXPECT_EQ(error, "refused");
  EXPECT_EQ(port.log, (Log{"select 3 !"}));
  EXPECT_TRUE(WatchdogTick(m, port, NullObserver(), &error));
  EXPECT_EQ(error, "");
}

TEST(PortCommands, ChoosingAMenuPortReopensAndMarksIt) {
  AppModel m;
  m.flags.initialise(1);
  m.flags.awaiting.menu.fill(false);
  RecordingPort port;
  port.opened = true;
  RecordingObserver seen;
  EXPECT_EQ(ChoosePort(m, port, 3, seen), "");
  EXPECT_EQ(port.log, ReopenLog(3));
  EXPECT_EQ(m.flags.portNumber, 3);
  EXPECT_EQ(m.flags.portChecked, (std::array<bool, 4>{false, false, true, false}));
  EXPECT_EQ(m.flags.awaiting.menu, (std::array<bool, 4>{false, false, true, false}));
  EXPECT_EQ(seen.views, 1);
  for (int k : {0, 5, -1}) {
    RecordingPort other;
    EXPECT_EQ(ChoosePort(m, other, k, seen), "");
    EXPECT_TRUE(other.log.empty());
    EXPECT_EQ(m.flags.portNumber, 3);
  }
}

TEST(PortCommands, OtherComAcceptsOnlyFiveToSixteen) {
  for (int n : {17, 4, 0, -5, 1000}) {
    AppModel m;
    m.flags.initialise(2);
    RecordingPort port;
    port.opened = true;
    EXPECT_FALSE(ChooseOtherPort(m, port, n, NullObserver()));
    EXPECT_TRUE(port.log.empty());
    EXPECT_EQ(m.flags.portNumber, 2);
    EXPECT_TRUE(m.flags.portChecked[1]);
  }
  AppModel m;
  m.flags.initialise(2);
  m.flags.awaiting.number[9] = true;
  RecordingPort port;
  port.opened = true;
  std::string error = "x";
  EXPECT_TRUE(ChooseOtherPort(m, port, 5, NullObserver(), &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(port.log, ReopenLog(5));
  EXPECT_EQ(m.flags.portNumber, 5);
  for (bool c : m.flags.portChecked) EXPECT_FALSE(c);
  for (int n = 0; n < kPortNumbers; ++n) EXPECT_EQ(m.flags.awaiting.number[n], n == 5) << n;
  EXPECT_EQ(OtherPortDialogPreset(m), 5);
  m.flags.portNumber = 12;
  EXPECT_EQ(OtherPortDialogPreset(m), 12);
  m.flags.portNumber = 3;
  EXPECT_EQ(OtherPortDialogPreset(m), 5);
}

TEST(PortCommands, PortSequencesWriteTheirFramesInOrder) {
  struct Case {
    const char* what;
    bool open;
    std::function<std::string(RecordingPort&)> run;
    Log log;
  };
  auto writes = [](const char* code, int n) { return Log(n, std::string("write 55 AA ") + code); };
  auto join = [](Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  AppModel m;
  m.flags.initialise(4);
  const Case cases[] = {
      {"close sequence", false, [](RecordingPort& p) { return CloseSequencePortSteps(p); },
       join(join({"open", "readlen 0", "discard"}, writes("12", 3)), writes("02", 6))},
      {"power off", false, [](RecordingPort& p) { return PowerOff(p); }, join({"open"}, writes("03", 3))},
      {"power off, open port", true, [](RecordingPort& p) { return PowerOff(p); }, writes("03", 3)},
      {"start-up", false, [&](RecordingPort& p) { return StartupPortSteps(m, p); },
       join({"select 4", "settings 9600,n,8,1", "threshold 11", "readlen 0", "discard", "open"},
            writes("01", 3))},
  };
  for (const auto& c : cases) {
    RecordingPort port;
    port.opened = c.open;
    EXPECT_EQ(c.run(port), "") << c.what;
    EXPECT_EQ(port.log, c.log) << c.what;
    // A failure part-way stops the rest and comes back as text.
    RecordingPort failing;
    failing.opened = c.open;
    failing.failAt = 1;
    EXPECT_EQ(c.run(failing), "refused") << c.what;
    EXPECT_EQ(failing.log.size(), 2u) << c.what;
  }
}

}  // namespace
}  // namespace pv
