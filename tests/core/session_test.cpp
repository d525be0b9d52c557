// SPDX-License-Identifier: GPL-3.0-or-later
// A run's life through the meter session, scripted: the meter's blocks, the session's
// timers on a scripted clock, and the user's answers. Checked is what the user and
// the meter see: samples and their times, the commands offered, the questions asked,
// the frames sent and the journal kept.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "chart/acquisition.h"
#include "chart/chart_layout.h"
#include "chart/command_availability.h"
#include "chart/cursors.h"
#include "chart/zoom.h"
#include "session_script.h"
#include "sim/meter_model.h"
#include "text_format.h"

namespace pv {
namespace {

using namespace test;
namespace fs = std::filesystem;

// A journal in a folder of its own, gone with it.
struct ScratchJournal {
  fs::path folder = fs::temp_directory_path() / "pneuvista-session-journal";
  RunJournal journal{(fs::remove_all(folder), folder.string())};
  ~ScratchJournal() { fs::remove_all(folder); }
};

// "rs.." : Run, Stop, Save, Export offered.
std::string Offered(const AppModel& m) {
  const CommandAvailability c = Commands(m, false);
  return std::string{c.run ? 'r' : '.', c.stop ? 's' : '.', c.save ? 'S' : '.', c.exportRun ? 'x' : '.'};
}

// The simulated meter streams ten frames a second; the user runs at runAt. Every
// sample must be the frame the meter sent last before the time its label names.
TEST(Session, EachSampleIsTheReadingTheMeterSentAtItsLabelledTime) {
  struct Case {
    int interval;
    Millis framePhase, runAt;  // ms after a whole second
  };
  const Case cases[] = {{1, 37, 1500}, {2, 0, 1250}, {3, 91, 2999}, {10, 50, 1001}};
  for (const Case& c : cases) {
    SessionScript s;
    MeterModel meter(7);
    meter.setCurve(3.0f, 1.5f, 7.0, 0.05f);
    s.user.interval = c.interval;
    std::map<Millis, std::string> sent;  // time -> the five characters
    Millis next = kScriptStart + c.framePhase;
    auto streamTo = [&](Millis t) {
      for (; next <= t; next += 100) {
        s.passTo(next);
        MeterFrame f;
        ASSERT_TRUE(meter.nextFrame(static_cast<double>(next - kScriptStart) / 1000.0, f));
        sent[next] = std::string(f.begin() + 5, f.begin() + 10);
        s.send(std::vector<std::uint8_t>(f.begin(), f.end()));
      }
      s.passTo(t);
    };
    streamTo(kScriptStart + c.runAt);
    ASSERT_TRUE(s.session.run(s.user).sent);
    streamTo(kScriptStart + c.runAt + 8000 + 6000 * c.interval);
    SCOPED_TRACE(testing::Message() << "interval " << c.interval);
    ASSERT_GE(s.samples(), 6);
    for (int i = 0; i < s.samples(); ++i) {
      const Millis label = static_cast<Millis>(s.model.run.sampleTime(i)) * 1000;
      auto at = sent.lower_bound(label);
      ASSERT_NE(at, sent.begin());
      EXPECT_EQ(s.sample(i), std::prev(at)->second) << "sample " << i;
    }
  }
}

TEST(Session, TheCommandsFollowTheRunsPhase) {
  SessionScript s;
  struct Step {
    const char* what;
    std::function<void()> act;
    RunPhase phase;
    const char* offered;
    int samples;
  };
  const Step steps[] = {
      {"start-up", [&] { s.session.greet(); }, RunPhase::Idle, "....", 0},
      {"a reading", [&] { s.reading(); }, RunPhase::Monitoring, "r...", 0},
      {"Run", [&] { s.session.run(s.user); }, RunPhase::Requested, ".s..", 0},
      {"its first reading", [&] { s.passTo(s.now + 500), s.reading(); }, RunPhase::Running, ".s..", 0},
      {"Stop before sample 0", [&] { s.passTo(s.now + 200), s.session.stop(); }, RunPhase::Idle, "....", 0},
      {"a reading", [&] { s.reading(); }, RunPhase::Monitoring, "r...", 0},
      {"Run asks nothing", [&] { s.session.run(s.user); }, RunPhase::Requested, ".s..", 0},
      {"three samples", [&] { s.streamTo(s.now + 2500, "2.000"); }, RunPhase::Running, ".sS.", 3},
      {"Stop", [&] { s.session.stop(); }, RunPhase::Idle, "..Sx", 3},
      {"a reading", [&] { s.reading(); }, RunPhase::Monitoring, "r.Sx", 3},
      {"Run, No, Cancel", [&] { s.user.interval.reset(), s.session.run(s.user); }, RunPhase::Monitoring, "r.Sx", 3},
      {"Run, No, 1 s", [&] { s.user.interval = 1, s.session.run(s.user); }, RunPhase::Requested, ".sS.", 3},
      {"Stop before its first reading", [&] { s.session.stop(); }, RunPhase::Idle, "..Sx", 3},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(s.model.run.phase, step.phase) << step.what;
    EXPECT_EQ(Offered(s.model), step.offered) << step.what;
    EXPECT_EQ(s.samples(), step.samples) << step.what;
  }
  EXPECT_EQ(s.user.asked.size(), 2u);  // only the Runs with three samples on show
}

// A run of three samples with its journal is on show; Run is chosen with these answers.
TEST(Session, RunGivesTheRunOnShowUpOnlyOnceTheNewRunIsConfirmed) {
  struct Case {
    SaveAnswer answer;
    bool saveWrites, confirmed;
    int saves;
    bool runSent, journalKept;
    const char* offered;
  };
  const Case cases[] = {
      {SaveAnswer::Save, true, true, 1, true, false, ".sS."},
      {SaveAnswer::Save, false, true, 1, false, true, "r.Sx"},
      {SaveAnswer::DontSave, true, true, 0, true, false, ".sS."},
      {SaveAnswer::DontSave, true, false, 0, true, true, "r.Sx"},
      {SaveAnswer::Cancel, true, true, 0, false, true, "r.Sx"},
  };
  for (const Case& c : cases) {
    ScratchJournal scratch;
    SessionScript s(&scratch.journal);
    s.startRun();
    s.streamTo(s.now + 3500, "1.000");
    s.session.stop();
    s.reading();
    const std::string path = scratch.journal.path();
    ASSERT_TRUE(fs::exists(path));
    s.answerNext(c.answer, c.saveWrites);
    if (!c.confirmed) s.user.interval.reset();
    EXPECT_EQ(s.session.run(s.user).sent, c.runSent);
    const int answer = static_cast<int>(c.answer);
    EXPECT_EQ(s.user.asked, std::vector<SaveQuestion>{SaveQuestion::BeforeRun}) << answer;
    EXPECT_EQ(s.user.saves, c.saves) << answer;
    EXPECT_EQ(s.port.writes().size(), c.runSent ? 3u : 0u) << answer;
    EXPECT_EQ(fs::exists(path), c.journalKept) << answer;
    EXPECT_EQ(Offered(s.model), c.offered) << answer;
    EXPECT_EQ(s.samples(), 3) << answer;  // the old run stays until the new one starts
  }
}

TEST(Session, TheIntervalEnteredIsTakenAsWholeSecondsOfAtLeastOne) {
  struct Case {
    std::optional<int> entered;
    int intervalMs;
    const char* shown;
  };
  const Case cases[] = {{std::nullopt, 0, ""}, {3, 3000, "3"}, {0, 1000, "1"}, {-7, 1000, "1"},
                        {INT_MAX, (INT_MAX / 1000) * 1000, "2147483"}};
  for (const Case& c : cases) {
    SessionScript s;
    s.port.opened = false;
    s.reading();
    s.user.interval = c.entered;
    // RUN goes out whether or not the dialog was confirmed.
    EXPECT_EQ(s.session.run(s.user).portError, "");
    EXPECT_EQ(s.port.writes(), std::vector<std::string>(3, "11"));
    EXPECT_EQ(s.model.run.intervalMs, c.intervalMs);
    EXPECT_EQ(s.model.statsBar.interval, c.shown);
  }
  SessionScript failing;
  failing.port.opened = false;
  failing.port.failAt = 0;  // the open
  EXPECT_EQ(failing.session.run(failing.user).portError, "refused");
}

TEST(Session, TicksCommitTheLatestReadingAtMostOnceAndNumberingGoesOnAfterASilence) {
  setenv("TZ", "UTC", 1);  // the start and end times shown
  tzset();
  SessionScript s;
  s.user.interval = 2;
  s.reading("0.000");
  s.session.run(s.user);
  // Readings every half second, each its own time; a 3 s silence (too short for the
  // watchdog) from 4.2 s.
  auto text = [](Millis t) { return Format("%5.3f", static_cast<double>(t - kScriptStart) / 1000); };
  for (Millis t = kScriptStart + 100; t < kScriptStart + 13000; t += 500) {
    s.passTo(t);
    if (t < kScriptStart + 4200 || t > kScriptStart + 7200) s.reading(text(t).c_str());
  }
  s.passTo(kScriptStart + 13000);
  // Ticks at 1 + 2n s; the silence leaves the tick of 7 s without a sample.
  const char* expected[] = {"0.600", "2.600", "4.100", "8.600", "10.60", "12.60"};
  ASSERT_EQ(s.samples(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.sample(i), expected[i]) << i;
  EXPECT_EQ(s.model.run.startText, "22:13:21");
  EXPECT_EQ(s.model.run.endText, "22:13:31");  // sample 5 = start + 10 s
  EXPECT_EQ(s.model.statsBar.startTime, "14/11/23 22:13:21");
  EXPECT_EQ(s.model.statsBar.sampleCount, "6");
}

TEST(Session, ARunEndsByItselfOnASilentMeterOrAFullStoreAndKeepsItsSamples) {
  struct Case {
    RunEnd cause;
    int samples;
  };
  for (const Case& c : {Case{RunEnd::LinkLost, 5}, Case{RunEnd::StoreFull, kMaxSamples}}) {
    SessionScript s;
    s.session.watchLink();
    s.send(ReadingBytes(kPsi, 1, 0, "1.000"));
    s.session.run(s.user);
    for (int k = 0; k < c.samples; ++k) {
      s.send(ReadingBytes(kPsi, 1, 0, "1.000"));
      s.passTo(s.now + 1000);
    }
    s.passTo(s.now + 20000);  // silence
    EXPECT_EQ(s.seen.runEnds, std::vector<RunEnd>{c.cause});
    EXPECT_EQ(s.samples(), c.samples);
    EXPECT_FALSE(s.timers.sampleDue);
    EXPECT_EQ(Offered(s.model), "..Sx");
  }
}

TEST(Session, ANewRunStartsOnTheLiveChartWithoutWaitingForAPaint) {
  constexpr int kW = 1000, kH = 700;  // a 636-pixel plot
  SessionScript s;
  ModelObserver& none = NullObserver();
  s.startRun();
  // The first run: 150 samples painted as they come (compressed), zoomed and measured.
  for (int n = 0; n < 150; ++n) {
    s.reading(n % 2 ? "1.000" : "2.000");
    s.passTo(s.now + 1000);
    LayoutChart(s.model, kW, kH);
  }
  AppModel& m = s.model;
  ASSERT_TRUE(LeftPress(m, {400, 200}, kW, kH));
  MouseMove(m, {700, 450}, kW, kH);
  ASSERT_EQ(LeftRelease(m, {700, 450}, kW, kH, none), ZoomOutcome::kAccepted);
  LayoutChart(m, kW, kH);
  ASSERT_TRUE(RightRelease(m, 500, kW, kH, none));
  // The second run: its first samples come while no paint happens (a minimised window).
  s.session.stop();
  s.startRun();
  s.seen = RecordingObserver{};
  s.streamTo(s.now + 2500, "3.000");
  EXPECT_EQ(s.seen.cursorBar, 1);
  EXPECT_EQ(s.samples(), 2);
  EXPECT_TRUE(m.chart.live && m.chart.cursorsHidden);
  EXPECT_EQ(m.cursorBar, CursorBarTexts{});
  LayoutChart(m, kW, kH);
  EXPECT_EQ(m.chart.step, 636.0f / 99.0f);
  EXPECT_FALSE(ChartScrollBarState(m).enabled);
  ASSERT_TRUE(RightRelease(m, 294 + 6, kW, kH, none));  // the next right click places A again
  EXPECT_EQ(m.chart.cursorA, 1);
}

TEST(Session, CloseAsksAboutARunOfTwoSamplesAndSaysGoodbyeOnlyOnceCertain) {
  struct Case {
    int samples;
    SaveAnswer answer;
    bool saveWrites;
    bool asked, closes;
  };
  const Case cases[] = {
      {0, SaveAnswer::Cancel, true, false, true},     {1, SaveAnswer::Cancel, true, false, true},
      {2, SaveAnswer::Cancel, true, true, false},     {2, SaveAnswer::DontSave, true, true, true},
      {2, SaveAnswer::Save, false, true, false},      {3, SaveAnswer::Save, true, true, true},
  };
  for (const Case& c : cases) {
    SessionScript s;
    s.session.watchLink();
    s.startRun();
    for (int k = 0; k < c.samples; ++k) s.streamTo(s.now + 1000, "1.000");
    s.answerNext(c.answer, c.saveWrites);
    SCOPED_TRACE(testing::Message() << c.samples << " samples, answer " << static_cast<int>(c.answer));
    EXPECT_EQ(s.session.close(s.user), c.closes);
    EXPECT_EQ(s.user.asked.size(), c.asked ? 1u : 0u);
    std::vector<std::string> goodbye(3, "12");
    goodbye.insert(goodbye.end(), 6, "02");
    EXPECT_EQ(s.port.writes(), c.closes ? goodbye : std::vector<std::string>{});
    // Once closed, no timer greets the meter or commits a sample again.
    EXPECT_EQ(!s.timers.sampleDue && !s.timers.watchdogDue, c.closes);
    EXPECT_EQ(s.samples(), c.samples);
  }
}

TEST(Session, AnUnattendedRunSavesWhatItTookAndKeepsTheJournalWhenSaveFails) {
  struct Case {
    int samples;
    bool saveWrites;
    int saves;
    bool journalKept;
  };
  const Case cases[] = {{0, true, 0, false}, {3, true, 1, false}, {3, false, 1, true}};
  for (const Case& c : cases) {
    ScratchJournal scratch;
    SessionScript s(&scratch.journal);
    s.startRun();
    s.reading();
    const std::string path = scratch.journal.path();
    for (int k = 0; k < c.samples; ++k) s.streamTo(s.now + 1000, "1.000");
    s.answerNext(SaveAnswer::DontSave, c.saveWrites);
    s.session.finish(s.user);
    EXPECT_TRUE(s.user.asked.empty());
    EXPECT_EQ(s.user.saves, c.saves) << c.samples;
    EXPECT_EQ(fs::exists(path), c.journalKept) << c.samples;
    EXPECT_EQ(s.port.writes().size(), 9u);  // EXIT three times, DISCONNECT six times
  }
}

}  // namespace
}  // namespace pv
