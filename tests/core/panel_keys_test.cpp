// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "live_fixtures.h"
#include "panel/keys.h"
#include "panel/panel_rows.h"
#include "recording_port.h"

namespace pv {
namespace {

using namespace test;

constexpr Key kAllKeys[] = {Key::Hold, Key::Unhold, Key::Rec, Key::Unrec, Key::Light,
                            Key::Zero, Key::Units,  Key::Dif, Key::Undif};

// Key order: HOLD UNHOLD REC UNREC LIGHT ZERO UNITS DIF UNDIF.
// E shown enabled, d shown disabled, h hidden enabled, x hidden disabled.
std::string KeyStates(const PanelState& p) {
  std::string s;
  for (const auto& k : p.keys) s += k.shown ? (k.enabled ? 'E' : 'd') : (k.enabled ? 'h' : 'x');
  return s;
}

struct Mode {
  const char* name;
  void (*set)(AppModel&);
};

const Mode kModes[] = {
    {"no meter", [](AppModel&) {}},
    {"monitoring", [](AppModel& m) { m.run.phase = RunPhase::Monitoring; }},
    {"running", [](AppModel& m) { m.run.phase = RunPhase::Running; }},
    {"hold",
     [](AppModel& m) {
       m.run.phase = RunPhase::Monitoring;
       m.flags.hold = true;
     }},
    {"relative",
     [](AppModel& m) {
       m.run.phase = RunPhase::Monitoring;
       m.flags.relative = true;
     }},
    {"hold and relative",
     [](AppModel& m) {
       m.run.phase = RunPhase::Monitoring;
       m.flags.hold = m.flags.relative = true;
     }},
    {"recording",
     [](AppModel& m) {
       m.run.phase = RunPhase::Monitoring;
       m.flags.recording = true;
     }},
    {"range error",
     [](AppModel& m) {
       m.run.phase = RunPhase::Monitoring;
       m.run.rangeError = RangeError::High;
     }},
};

TEST(PanelKeys, EachKeyIsAcceptedExactlyInItsModes) {
  // One character per key in kAllKeys order: y accepted, . refused.
  const char* accepted[] = {
      "...y.....",  // no meter: only UNREC (not hold) is left
      "y.yyyyyy.",  // monitoring
      "y.yyy.yy.",  // running: no ZERO
      "yy..y....",  // hold
      "y..yy..yy",  // relative
      "yy..y....",  // hold and relative
      "..yyy....",  // recording
      ".........",  // range error
  };
  const char* codes[] = {"05", "06", "07", "08", "0C", "0D", "0E", "0F", "10"};
  const int writes[] = {6, 6, 3, 3, 6, 6, 6, 6, 6};
  for (int mode = 0; mode < 8; ++mode) {
    for (int k = 0; k < kKeyCount; ++k) {
      AppModel m;
      kModes[mode].set(m);
      ApplyPlainRow(m);  // keys as a plain reading leaves them; flags restored below
      kModes[mode].set(m);
      const std::string keysBefore = KeyStates(m.panel);
      RecordingPort port;
      port.opened = true;
      const bool expect = accepted[mode][k] == 'y';
      SCOPED_TRACE(testing::Message() << kModes[mode].name << ", key " << k);
      EXPECT_EQ(KeyAccepted(m, kAllKeys[k]), expect);
      EXPECT_EQ(PressKey(m, port, kAllKeys[k], NullObserver()), expect);
      if (expect) {
        EXPECT_EQ(port.writes(), std::vector<std::string>(writes[k], codes[k]));
        ASSERT_GE(port.log.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(port.log.begin(), port.log.begin() + 2),
                  (std::vector<std::string>{"readlen 0", "discard"}));
      } else {
        EXPECT_TRUE(port.log.empty());
        EXPECT_EQ(KeyStates(m.panel), keysBefore);
      }
    }
  }
}

TEST(PanelKeys, AcceptedKeysSwitchThePanelAtOnce) {
  struct Case {
    Key key;
    const char* keys;
    const char *hold, *dif, *rec;
    bool holdFlag, relativeFlag, recordingFlag;
  };
  // From the plain measuring mode, monitoring: "EhEhEEEEh".
  const Case cases[] = {
      {Key::Hold, "hEdhEdddx", "HOLD", "", "", true, false, false},
      {Key::Rec, "dhhEEdddh", "", "", "REC", false, false, true},
      {Key::Dif, "EhdhEddhE", "", "DIF", "", false, true, false},
      {Key::Unrec, "EhEhEEEEh", "", "", "", false, false, false},
      {Key::Units, "EhEhEEEEh", "", "", "", false, false, false},
      {Key::Light, "EhEhEEEEh", "", "", "", false, false, false},
      {Key::Zero, "EhEhEEEEh", "", "", "", false, false, false},
  };
  for (const auto& c : cases) {
    AppModel m;
    m.run.phase = RunPhase::Monitoring;
    ApplyPlainRow(m);
    RecordingPort port;
    RecordingObserver seen;
    ASSERT_TRUE(PressKey(m, port, c.key, seen));
    SCOPED_TRACE(static_cast<int>(c.key));
    EXPECT_EQ(KeyStates(m.panel), c.keys);
    EXPECT_EQ(m.panel.holdWord, c.hold);
    EXPECT_EQ(m.panel.difWord, c.dif);
    EXPECT_EQ(m.panel.recWord, c.rec);
    EXPECT_EQ(m.flags.hold, c.holdFlag);
    EXPECT_EQ(m.flags.relative, c.relativeFlag);
    EXPECT_EQ(m.flags.recording, c.recordingFlag);
  }
}

// A mode key redraws its word at once and then the panel; the other keys leave the
// panel to the meter's next reading. Each press starts from the state the keys before
// it left, monitoring.
TEST(PanelKeys, ModeKeysRedrawTheirWordAndThePanel) {
  struct Case {
    Key key;
    std::vector<PanelField> fields;
    int panel, statistics;
  };
  const Case cases[] = {
      {Key::Light, {}, 0, 0},
      {Key::Zero, {}, 0, 0},
      {Key::Units, {}, 0, 0},
      {Key::Hold, {PanelField::HoldWord}, 1, 0},
      {Key::Unhold, {PanelField::HoldWord}, 1, 0},
      {Key::Dif, {PanelField::DifWord}, 1, 0},
      {Key::Undif, {PanelField::DifWord}, 1, 0},
      {Key::Rec, {PanelField::RecWord}, 1, 0},
      {Key::Unrec, {PanelField::RecWord}, 1, 1},
  };
  AppModel m;
  m.run.phase = RunPhase::Monitoring;
  ApplyPlainRow(m);
  RecordingPort port;
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.key));
    RecordingObserver seen;
    ASSERT_TRUE(PressKey(m, port, c.key, seen));
    EXPECT_EQ(seen.fields, c.fields);
    EXPECT_EQ(seen.panel, c.panel);
    EXPECT_EQ(seen.statistics, c.statistics);
  }
}

// Ending a mode enables ZERO again only while the meter is monitored, not while a
// run acquires.
TEST(PanelKeys, EndingAModeEnablesZeroOnlyWhileMonitoring) {
  const std::pair<Key, Key> modes[] = {
      {Key::Hold, Key::Unhold}, {Key::Rec, Key::Unrec}, {Key::Dif, Key::Undif}};
  for (const bool monitoring : {false, true}) {
    for (const auto& [on, off] : modes) {
      AppModel m;
      m.run.phase = monitoring ? RunPhase::Monitoring : RunPhase::Running;
      ApplyPlainRow(m);
      RecordingPort port;
      ASSERT_TRUE(PressKey(m, port, on, NullObserver()));
      EXPECT_FALSE(m.panel.key(Key::Zero).enabled);
      ASSERT_TRUE(PressKey(m, port, off, NullObserver()));
      EXPECT_EQ(m.panel.key(Key::Zero).enabled, monitoring) << static_cast<int>(off);
      EXPECT_EQ(KeyStates(m.panel).substr(0, 4), "EhEh");
    }
  }
}

TEST(PanelKeys, UnholdWhileRelativeLeavesRecZeroAndUnitsDisabled) {
  AppModel m;
  m.run.phase = RunPhase::Monitoring;
  ApplyPlainRow(m);
  ApplyHoldRelativeRow(m, 0x02);
  EXPECT_EQ(KeyStates(m.panel), "EhdhEddhE");
  RecordingPort port;
  ASSERT_TRUE(PressKey(m, port, Key::Hold, NullObserver()));
  EXPECT_EQ(KeyStates(m.panel), "hEdhEddxd");
  m.flags.holdError = 3;
  ASSERT_TRUE(PressKey(m, port, Key::Unhold, NullObserver()));
  EXPECT_EQ(KeyStates(m.panel), "EhdhEddhE");
  EXPECT_EQ(m.flags.holdError, 0);
  ASSERT_TRUE(PressKey(m, port, Key::Undif, NullObserver()));
  EXPECT_EQ(KeyStates(m.panel), "EhEhEEEEh");
  EXPECT_FALSE(m.flags.relative);
}

TEST(PanelKeys, APortFailureStillSwitchesThePanel) {
  AppModel m;
  m.run.phase = RunPhase::Monitoring;
  ApplyPlainRow(m);
  RecordingPort port;
  port.opened = true;
  port.failAt = 2;  // the first write
  std::string error;
  ASSERT_TRUE(PressKey(m, port, Key::Rec, NullObserver(), &error));
  EXPECT_EQ(error, "refused");
  EXPECT_TRUE(m.flags.recording);
  EXPECT_EQ(m.panel.recWord, "REC");
  EXPECT_EQ(port.log.back(), "write 55 AA 07 !");
}

TEST(PanelKeys, UnrecReopensAClosedPortAndEmptiesTheStatistics) {
  AppModel m;
  m.flags.recording = true;
  m.stats.maximum = 3.0f;
  m.statsBar.maximum = "3.000";
  m.statsBar.maximumTime = m.statsBar.minimum = m.statsBar.minimumTime = m.statsBar.average = "x";
  m.statsBar.battery = "Normal";
  RecordingPort port;
  port.failAt = 0;  // the first open fails, the reopen afterwards succeeds
  RecordingObserver seen;
  ASSERT_TRUE(PressKey(m, port, Key::Unrec, seen));
  EXPECT_EQ(port.log, (std::vector<std::string>{"open !", "open"}));
  EXPECT_TRUE(m.statsBar.maximum.empty() && m.statsBar.maximumTime.empty() && m.statsBar.minimum.empty() &&
              m.statsBar.minimumTime.empty() && m.statsBar.average.empty());
  EXPECT_EQ(m.statsBar.battery, "Normal");
  EXPECT_EQ(m.stats.maximum, 3.0f);
  EXPECT_EQ(seen.statistics, 1);
  EXPECT_FALSE(m.flags.recording);
}

}  // namespace
}  // namespace pv
