// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ingest.h"

#include <gtest/gtest.h>

#include <functional>

#include "live_fixtures.h"
#include "panel/keys.h"
#include "recording_port.h"
#include "session_script.h"

namespace pv {
namespace {

using namespace test;

TEST(Ingest, ReadingsAreCutToTheUnitResolutionAndShownAtTheTableLength) {
  struct Case {
    int unit;
    int status;
    const char* chars;
    float value;
    const char* shown;
    bool counts;  // inside +-400, so it marks the slot new
  };
  const Case cases[] = {
      {kMbar, 0, "12.34", 12.3f, "+12.3", true},
      {kPsi, kNegative, "1.234", -1.234f, "-1.234", true},
      {kPsi, 0, "1.229", 1.229f, "+1.229", true},  // the nudge keeps the last digit
      {kMbar, 0, "5.678", 5.6f, "+5.6", true},
      {kMbar, kNegative, "123.4", -123.4f, "-123.4", true},
      {6 /*kPa*/, 0, "1.234", 1.23f, "+1.23", true},
      {6 /*kPa*/, 0, "12.34", 12.34f, "+12.34", true},
      {1 /*ozin*/, 0, "250.0", 250.0f, "+250.0", true},  // left open by the length table: whole text
      {kMbar, 0, "1234.", 1234.0f, "+1234.", false},
      {kMbar, kNegative, "400.0", -400.0f, "-400.0", false},
      {10 /*cmH2O*/, 0, "0.123", 0.1f, "+0.1", true},
      {0 /*bar*/, 0, "0.000", 0.0f, "+0.000", true},
      {kPsi, 0, "abcde", 0.0f, "+abcde", true},  // no leading number reads as 0
      {kPsi, 0, "-1.23", 0.0f, "+-1.23", true},  // a second sign ends the number: 0
      {kPsi, kNegative, "-1.23", 0.0f, "--1.23", true},
      {kPsi, kNegative, "+1.23", 0.0f, "-+1.23", true},
      {kPsi, 0, "9e999", 1.0e6f, "+9e999", false},  // garbled: kept finite, out of range
      {kPsi, kNegative, "9e38x", -1.0e6f, "-9e38x", false},
      {kPsi, 0, "nan00", 1.0e6f, "+nan00", false},
      {kPsi, 0,
       "1\0"
       "23",
       1.0f, "+1", true},  // a NUL byte ends the shown text
  };
  for (const auto& c : cases) {
    AppModel m;
    Feed(m, ReadingBytes(c.unit, 0, c.status, c.chars));
    SCOPED_TRACE(c.chars);
    EXPECT_EQ(Bits(m.store.values[0]), Bits(c.value)) << m.store.values[0];
    EXPECT_EQ(m.panel.reading, c.shown);
    EXPECT_EQ(m.run.newSample, c.counts);
    EXPECT_EQ(m.run.phase == RunPhase::Monitoring, c.counts);
    EXPECT_EQ(Bits(m.ingest.lastReading), Bits(c.value));
  }
}

TEST(Ingest, DifReadingsAddTheLastPlainReading) {
  AppModel m;
  Feed(m, ReadingBytes(kPsi, 0, 0, "10.00"));
  Feed(m, ReadingBytes(kPsi, 0, kDif, "0.500"));
  EXPECT_EQ(Bits(m.store.values[0]), Bits(10.5f));
  EXPECT_EQ(Bits(m.ingest.lastReading), Bits(0.5f));
  EXPECT_EQ(Bits(m.flags.relativeRef), Bits(10.0f));
  EXPECT_EQ(m.store.relativeAt[0], 1);
  EXPECT_EQ(m.panel.reading, "+0.500");  // the meter's own text, not the sum
  Feed(m, ReadingBytes(kPsi, 0, kDif, "0.600"));
  EXPECT_EQ(Bits(m.flags.relativeRef), Bits(10.0f));  // relative readings never move it
  EXPECT_EQ(Bits(m.store.values[0]), Bits(10.6f));
  Feed(m, ReadingBytes(kPsi, 0, 0, "3.000"));
  EXPECT_EQ(m.store.relativeAt[0], 0);
  EXPECT_EQ(Bits(m.store.values[0]), Bits(3.0f));
}

TEST(Ingest, AnOutOfRangeSumStaysInTheSlotButIsNoSignOfLife) {
  AppModel m;
  m.flags.initialise(1);
  Feed(m, ReadingBytes(kMbar, 0, 0, "300.0"));
  Feed(m, ReadingBytes(kMbar, 0, kDif, "150.0"));  // 300 + 150 is beyond 400
  EXPECT_EQ(Bits(m.store.values[0]), Bits(450.0f));
  m.run.newSample = false;
  m.flags.awaiting.menu[0] = true;
  m.flags.portMenuEnabled.fill(true);
  Feed(m, ReadingBytes(kMbar, 0, kDif, "150.0"));
  EXPECT_FALSE(m.run.newSample);
  EXPECT_TRUE(m.flags.awaiting.menu[0]);
  EXPECT_TRUE(m.flags.portMenuEnabled[4]);
  Feed(m, ReadingBytes(kMbar, 0, kDif, "050.0"));
  EXPECT_TRUE(m.run.newSample);
  EXPECT_FALSE(m.flags.awaiting.menu[0]);
  for (bool enabled : m.flags.portMenuEnabled) EXPECT_FALSE(enabled);
}

TEST(Ingest, HoldKeepsTheTextShownBeforeTheFirstHoldFrame) {
  AppModel m;
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.234"));
  const std::pair<const char*, float> later[] = {{"1.250", 1.25f}, {"1.260", 1.26f}, {"9.999", 9.999f}};
  for (const auto& [chars, value] : later) {
    Feed(m, ReadingBytes(kPsi, 0, kHold, chars));
    EXPECT_EQ(m.panel.reading, "+1.234") << chars;
    EXPECT_EQ(Bits(m.store.values[0]), Bits(value)) << "the value itself follows the meter";
  }
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.270"));
  EXPECT_EQ(m.panel.reading, "+1.270");
  Feed(m, ReadingBytes(kPsi, 0, kHold, "1.280"));
  EXPECT_EQ(m.panel.reading, "+1.270");  // a new hold captures afresh
}

TEST(Ingest, ARangeErrorWhileHoldingLatchesUntilCleared) {
  struct Clearer {
    const char* what;
    std::function<void(AppModel&)> clear;
    const char* shownAfter;
  };
  const Clearer clearers[] = {
      {"DIF-only frame", [](AppModel& m) { Feed(m, ReadingBytes(kPsi, 0, kDif, "0.100")); }, "+0.100"},
      {"plain frame", [](AppModel& m) { Feed(m, ReadingBytes(kPsi, 0, 0, "2.000")); }, "+2.000"},
      {"UNHOLD key, then a hold frame",
       [](AppModel& m) {
         RecordingPort port;
         ASSERT_TRUE(PressKey(m, port, Key::Unhold, NullObserver()));
         Feed(m, ReadingBytes(kPsi, 0, kHold, "3.000"));
       },
       "+1.000"},
  };
  for (const auto& c : clearers) {
    AppModel m;
    Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"));
    Feed(m, ReadingBytes(kPsi, 0, kHold, "1.500"));
    Feed(m, ErrorBytes(0x11));
    EXPECT_EQ(m.flags.holdError, 2) << c.what;
    EXPECT_EQ(m.panel.reading, "ERR2") << c.what;
    Feed(m, ReadingBytes(kPsi, 0, kHold, "1.600"));
    Feed(m, ReadingBytes(kPsi, 0, kHold | kDif, "1.700"));
    EXPECT_EQ(m.panel.reading, "ERR2") << c.what;
    c.clear(m);
    EXPECT_EQ(m.flags.holdError, 0) << c.what;
    EXPECT_EQ(m.panel.reading, c.shownAfter) << c.what;
  }
}

TEST(Ingest, AnUnknownUnitCodeKeepsThePreviousUnitForTheSample) {
  AppModel m;
  Feed(m, ReadingBytes(kMbar, 0, 0, "12.34"));
  m.store.sampleCount = 1;  // as after a commit
  Feed(m, ReadingBytes(11, 0, 0, "56.78"));
  EXPECT_EQ(m.run.unit, kMbar);
  EXPECT_EQ(m.store.unitAt[1], kMbar);
  EXPECT_EQ(m.store.unitNameAt[1], "mbar");
  EXPECT_EQ(Bits(m.store.toPsiAt[1]), Bits(0.0145053668f));
  EXPECT_EQ(Bits(m.store.fullScaleAt[1]), Bits(3585.91992f));
  EXPECT_EQ(Bits(m.store.values[1]), Bits(56.7f));
  EXPECT_EQ(m.panel.unit, "mbar");
}

TEST(Ingest, ErrorFramesStoreErrorSamplesAndLockTheKeys) {
  struct Case {
    int code;
    const char* shown;
    float value;
    int relative;
    RangeError rangeError;
  };
  const Case cases[] = {
      {0x10, "ERR1", 5.1f, 0, RangeError::High},
      {0x11, "ERR2", -5.1f, 0, RangeError::Low},
      {0x12, "ERR3", 5.1f, 1, RangeError::High},
      {0x13, "ERR4", -5.1f, 1, RangeError::Low},
  };
  for (const auto& c : cases) {
    AppModel m;
    m.flags.initialise(2);
    Feed(m, ReadingBytes(kMbar, 0, 0, "12.34"));
    m.flags.awaiting.menu.fill(true);
    m.run.newSample = false;
    Feed(m, ErrorBytes(c.code));
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(m.panel.reading, c.shown);
    EXPECT_EQ(Bits(m.store.values[0]), Bits(c.value));
    EXPECT_EQ(m.store.relativeAt[0], c.relative);
    EXPECT_EQ(Bits(m.store.fullScaleAt[0]), Bits(52.0f));
    EXPECT_EQ(Bits(m.store.toPsiAt[0]), Bits(1.0f));
    EXPECT_EQ(m.store.unitNameAt[0], "psi");
    EXPECT_EQ(m.store.unitAt[0], kMbar);
    EXPECT_EQ(m.run.unit, kMbar);
    EXPECT_EQ(m.run.rangeError, c.rangeError);
    EXPECT_TRUE(m.run.newSample);
    EXPECT_FALSE(m.flags.awaiting.menu[0]);
    for (int k = 0; k < kKeyCount; ++k)
      EXPECT_EQ(m.panel.keys[k].enabled, static_cast<Key>(k) == Key::Light) << k;
    // The next reading clears the range error.
    Feed(m, ReadingBytes(kMbar, 0, 0, "12.34"));
    EXPECT_EQ(m.run.rangeError, RangeError::None);
    EXPECT_EQ(m.panel.reading, "+12.3");
  }
  AppModel m;  // an unknown code does only the common steps
  Feed(m, ReadingBytes(kPsi, 1, 0, "1.000"));
  m.run.newSample = false;
  Feed(m, ErrorBytes(0x20));
  EXPECT_EQ(Bits(m.store.values[0]), Bits(1.0f));
  EXPECT_EQ(m.panel.reading, "+1.000");
  EXPECT_EQ(m.run.rangeError, RangeError::None);
  EXPECT_FALSE(m.flags.recording);
  EXPECT_TRUE(m.run.newSample);
}

std::string KeyStates(const PanelState& p) {
  std::string s;
  for (const auto& k : p.keys) s += k.shown ? (k.enabled ? 'E' : 'd') : (k.enabled ? 'h' : 'x');
  return s;
}

TEST(Ingest, EachReportedModeSetsItsPanelRow) {
  // Key order: HOLD UNHOLD REC UNREC LIGHT ZERO UNITS DIF UNDIF.
  // E shown enabled, d shown disabled, h hidden enabled, x hidden disabled.
  struct Case {
    int rec, status;
    const char *hold, *dif, *recWord, *keys;
    bool holdFlag, relativeFlag, recordingFlag;
  };
  const Case cases[] = {
      {0, 0, "", "", "", "EhEhEEEEh", false, false, false},
      {1, 0, "", "", "REC", "dhhEEdddh", false, false, true},
      {4, 0, "", "", "REC", "dhhEEdddh", false, false, true},
      {0, kHold, "HOLD", "", "", "hEdhEdddh", true, false, false},
      {0, kDif, "", "DIF", "", "EhdhEddhE", false, true, false},
      {0, kHold | kDif, "HOLD", "DIF", "", "hEdhEddhd", true, true, false},
      {2, kHold, "HOLD", "", "REC", "xExEEdddh", true, false, true},
      // Neither row: the keys stay as the first reading left them, when the plain row ran
      // before that reading had made the meter count as monitoring (ZERO disabled).
      {5, 0, "", "", "", "EhEhEdEEh", false, false, false},
  };
  for (const auto& c : cases) {
    AppModel m;
    Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"));  // plain first, monitoring
    Feed(m, ReadingBytes(kPsi, c.rec, c.status, "1.000"));
    SCOPED_TRACE(testing::Message() << "rec " << c.rec << " status " << c.status);
    EXPECT_EQ(m.panel.holdWord, c.hold);
    EXPECT_EQ(m.panel.difWord, c.dif);
    EXPECT_EQ(m.panel.recWord, c.recWord);
    EXPECT_EQ(KeyStates(m.panel), c.keys);
    EXPECT_EQ(m.flags.hold, c.holdFlag);
    EXPECT_EQ(m.flags.relative, c.relativeFlag);
    EXPECT_EQ(m.flags.recording, c.recordingFlag);
  }
}

TEST(Ingest, AfterALostLinkOnlyAPlainReadingEnablesLight) {
  AppModel m;
  Feed(m, ReadingBytes(kPsi, 0, kHold, "1.000"));
  EXPECT_FALSE(m.panel.key(Key::Light).enabled);
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"));
  EXPECT_TRUE(m.panel.key(Key::Light).enabled);
}

TEST(Ingest, ZeroIsDisabledWhileAcquisitionRuns) {
  AppModel m;
  m.run.phase = RunPhase::Running;
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"));
  EXPECT_EQ(m.run.phase, RunPhase::Running);
  EXPECT_FALSE(m.panel.key(Key::Zero).enabled);
  EXPECT_TRUE(m.panel.key(Key::Hold).enabled);
}

TEST(Ingest, OnlyTheFirstFrameOfABlockCounts) {
  AppModel m;
  auto two = ReadingBytes(kPsi, 0, 0, "1.000");
  auto second = ReadingBytes(kPsi, 0, 0, "2.000");
  two.insert(two.end(), second.begin(), second.end());
  Feed(m, two);
  EXPECT_EQ(Bits(m.store.values[0]), Bits(1.0f));
  auto shifted = std::vector<std::uint8_t>(second.begin() + 1, second.end());  // first byte lost
  Feed(m, shifted);
  EXPECT_EQ(Bits(m.store.values[0]), Bits(1.0f));
  Feed(m, std::vector<std::uint8_t>(second.begin(), second.begin() + 7));  // too short to read
  EXPECT_EQ(Bits(m.store.values[0]), Bits(1.0f));
  Feed(m, second);
  EXPECT_EQ(Bits(m.store.values[0]), Bits(2.0f));
}

TEST(Ingest, AUnitChangeRescalesTheChart) {
  AppModel m;
  RecordingObserver seen;
  std::vector<int> views;
  for (int unit : {kPsi, kPsi, kMbar, kMbar, 11, kPsi}) {
    seen.views = 0;
    IngestBlock(m, ReadingBytes(unit, 0, 0, "1.000"), 0, seen);
    views.push_back(seen.views);
  }
  EXPECT_EQ(views, (std::vector<int>{1, 0, 1, 0, 0, 1}));
}

TEST(Ingest, TheReceiveNotificationReadsOnlyOnDataEvents) {
  struct Case {
    bool dataEvent;
    int failAt;
    std::vector<std::string> log;
    bool decoded;
  };
  const Case cases[] = {
      {true, -1, {"read", "discard"}, true},
      {false, -1, {"discard"}, false},
      {true, 0, {"read !"}, false},
      {true, 1, {"read", "discard !"}, true},  // the block was read: it still counts
  };
  for (const auto& c : cases) {
    SessionScript s;
    s.model.store.sampleCount = 7;
    s.port.dataEvent = c.dataEvent;
    s.port.failAt = c.failAt;
    s.port.incoming.push_back(ReadingBytes(kPsi, 0, 0, "2.500"));
    EXPECT_NO_THROW(s.session.bytesArrived(0));
    EXPECT_EQ(s.port.log, c.log);
    EXPECT_EQ(s.samples(), 7);
    EXPECT_EQ(s.model.run.phase == RunPhase::Monitoring, c.decoded);
  }
}

}  // namespace
}  // namespace pv
