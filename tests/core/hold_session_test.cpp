// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test armed on a going run, through the meter session scripted with the
// meter's readings, the session's timers and the user's commands.
#include <gtest/gtest.h>

#include "session_script.h"

namespace pv {
namespace {

using namespace test;

enum class RunEndBy { Nothing, Stop, Silence };

// The run starts at 1 s and samples every interval; the meter reads "1.000" until
// dropAt, then "0.980" (2 % down, four times the 0.50 % allowed). A test the run
// cuts short does not pass, whatever it saw.
TEST(HoldSession, ATestStartsAtTheNextSampleAndEndsAfterItsPeriodOrWithTheRun) {
  struct Case {
    const char* name;
    int interval;
    Millis armAt;  // ms after the script's start; 0: at once after Run
    int holdSeconds;
    Millis dropAt;  // ms after the script's start
    RunEndBy end;
    Millis endAt;  // ms after the script's start
    LiveHoldStage stage;
    int first, last, elapsed;
    bool passed;
    bool runGoesOn;
  };
  const Millis never = 1'000'000;
  const Case cases[] = {
      {"holds to its end", 1, 3500, 5, never, RunEndBy::Nothing, 0, LiveHoldStage::Complete, 3, 8, 5, true,
       true},
      {"falls inside its period", 1, 3500, 5, 6500, RunEndBy::Nothing, 0, LiveHoldStage::Complete, 3, 8, 5,
       false, true},
      {"falls after its end", 1, 3500, 5, 9500, RunEndBy::Nothing, 0, LiveHoldStage::Complete, 3, 8, 5, true,
       true},
      {"period not a whole number of intervals", 2, 3500, 5, never, RunEndBy::Nothing, 0,
       LiveHoldStage::Complete, 2, 5, 6, true, true},
      {"armed before the run's first sample", 1, 0, 4, never, RunEndBy::Nothing, 0, LiveHoldStage::Complete,
       0, 4, 4, true, true},
      {"stopped before its end", 1, 3500, 60, 5500, RunEndBy::Stop, 8500, LiveHoldStage::NotComplete, 3, 7, 4,
       false, false},
      {"the link lost before its end", 1, 3500, 60, never, RunEndBy::Silence, 6500,
       LiveHoldStage::NotComplete, 3, 6, 3, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SessionScript s;
    s.session.watchLink();
    s.user.interval = c.interval;
    HoldCriteria criteria;
    criteria.allowed = 0.5;
    auto text = [&](Millis t) { return t < kScriptStart + c.dropAt ? "1.000" : "0.980"; };
    auto streamTo = [&](Millis t) {
      while (s.now + 100 <= t) {
        s.passTo(s.now + 100);
        s.reading(text(s.now));
      }
      s.passTo(t);
    };
    s.startRun();
    if (c.armAt > 0) streamTo(kScriptStart + c.armAt);
    ASSERT_TRUE(s.session.armHoldTest(criteria, c.holdSeconds));
    EXPECT_EQ(s.session.holdTest().stage(), LiveHoldStage::Armed);
    // While it goes, the test would read as not passed wherever it is kept.
    streamTo(s.now + 2500);
    ASSERT_EQ(s.session.holdTest().stage(), LiveHoldStage::Running);
    EXPECT_FALSE(s.session.holdTest().outcomeSoFar().result.passed);
    if (c.end == RunEndBy::Nothing) {
      streamTo(kScriptStart + 30000);
    } else {
      streamTo(kScriptStart + c.endAt);
      if (c.end == RunEndBy::Stop) s.session.stop();
      s.passTo(s.now + 30000);
    }
    const LiveHoldTest& test = s.session.holdTest();
    EXPECT_EQ(test.stage(), c.stage);
    EXPECT_EQ(test.criteria().firstSample, c.first);
    EXPECT_EQ(test.criteria().lastSample, c.last);
    EXPECT_EQ(test.elapsedSeconds(), c.elapsed);
    EXPECT_EQ(test.remainingSeconds(), c.holdSeconds - c.elapsed > 0 ? c.holdSeconds - c.elapsed : 0);
    ASSERT_EQ(test.outcome().error, HoldError::None) << test.outcome().message;
    EXPECT_EQ(test.outcome().result.passed, c.passed);
    // A test cut short by its run says so among its reasons.
    const auto& reasons = test.outcome().result.reasons;
    EXPECT_EQ(!reasons.empty() && reasons.back().rfind("not complete", 0) == 0,
              c.stage == LiveHoldStage::NotComplete);
    EXPECT_EQ(s.seen.holdTestEnds, 1);
    // The run is not the test's: it goes on after it, sample after sample.
    EXPECT_EQ(RunGoing(s.session.phase()), c.runGoesOn);
    if (c.runGoesOn) {
      EXPECT_GE(s.samples(), c.last + 10);
    }
  }
}

TEST(HoldSession, ATestIsArmedOnlyOnAGoingRunAndANewRunClearsAFinishedOne) {
  SessionScript s;
  HoldCriteria criteria;
  criteria.allowed = 0.5;
  s.reading();
  EXPECT_FALSE(s.session.armHoldTest(criteria, 60));  // the meter answers, no run goes
  s.session.run(s.user);
  EXPECT_FALSE(s.session.armHoldTest(criteria, 0));
  ASSERT_TRUE(s.session.armHoldTest(criteria, 60));
  s.session.stop();
  EXPECT_EQ(s.session.holdTest().stage(), LiveHoldStage::NotComplete);
  EXPECT_FALSE(s.session.holdTest().hasOutcome());  // it never took a sample
  s.session.run(s.user);
  s.reading();
  EXPECT_EQ(s.session.holdTest().stage(), LiveHoldStage::Off);
}

}  // namespace
}  // namespace pv
