#include "chart/acquisition.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "chart/chart_layout.h"
#include "chart/command_availability.h"
#include "chart/cursors.h"
#include "chart/zoom.h"
#include "live_fixtures.h"
#include "recording_port.h"
#include "text_format.h"

namespace pv {
namespace {

using namespace test;

constexpr std::time_t kStart = 1700000000;  // 2023-11-14 22:13:20 UTC

class Acquisition : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  // A meter answering in plain mode, then a confirmed Run with the given interval.
  AppModel Running(int seconds) {
    AppModel m;
    m.flags.initialise(1);
    Feed(m, ReadingBytes(kPsi, 0, 0, "0.000"), kStart - 5);
    ConfirmRun(m, seconds, NullObserver());
    return m;
  }
};

TEST_F(Acquisition, SamplesAreLabelledByTheirIndexTimesTheInterval) {
  AppModel m = Running(2);
  for (int n = 0; n < 11; ++n) {
    Feed(m, ReadingBytes(kPsi, 0, 0, n < 10 ? "1.000" : "2.000"), kStart + n);
    ASSERT_TRUE(CommitTick(m, false, NullObserver()));
  }
  EXPECT_EQ(m.store.sampleCount, 11);
  EXPECT_EQ(m.run.startTime, kStart);
  EXPECT_EQ(m.run.endText, "22:13:40");  // sample 10 = start + 20 s
  EXPECT_EQ(m.run.sampleTime(10), kStart + 20);
  EXPECT_EQ(m.run.startText, "22:13:20");
  EXPECT_EQ(m.statsBar.startTime, "14/11/23 22:13:20");
  EXPECT_EQ(m.statsBar.sampleCount, "11");
  EXPECT_EQ(m.statsBar.interval, "2");
  EXPECT_EQ(m.run.startHour, 22);
  EXPECT_EQ(m.run.startMinute, 13);
  EXPECT_EQ(m.run.startSecond, 20);
  EXPECT_EQ(Bits(m.store.values[10]), Bits(2.0f));
  EXPECT_EQ(Bits(m.store.values[9]), Bits(1.0f));
}

TEST_F(Acquisition, EachTickCommitsTheLatestReadingAtMostOnce) {
  AppModel m = Running(1);
  // Readings every half second, a tick every second.
  const char* readings[] = {"1.000", "1.500", "2.000", "2.500", "3.000", "3.500"};
  for (int k = 0; k < 6; ++k) {
    Feed(m, ReadingBytes(kPsi, 0, 0, readings[k]), kStart + k / 2);
    if (k % 2 == 1) {
      EXPECT_TRUE(CommitTick(m, false, NullObserver()));
    }
  }
  EXPECT_EQ(m.store.sampleCount, 3);
  EXPECT_EQ(Bits(m.store.values[0]), Bits(1.5f));
  EXPECT_EQ(Bits(m.store.values[1]), Bits(2.5f));
  EXPECT_EQ(Bits(m.store.values[2]), Bits(3.5f));
  // A silence shorter than the watchdog commits nothing; numbering then goes on.
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(CommitTick(m, false, NullObserver()));
  Feed(m, ReadingBytes(kPsi, 0, 0, "4.000"), kStart + 7);
  EXPECT_TRUE(CommitTick(m, false, NullObserver()));
  EXPECT_EQ(m.store.sampleCount, 4);
  EXPECT_EQ(Bits(m.store.values[3]), Bits(4.0f));
  EXPECT_EQ(m.run.endText, "22:13:23");
}

TEST_F(Acquisition, TheCommitNeedsANewReadingAndARun) {
  struct Case {
    bool newSample, running, rubberBand;
    bool committed;
    int invalidations;
  };
  const Case cases[] = {
      {true, true, false, true, 1},
      {true, true, true, true, 0},  // no repaint under a rubber band
      {false, true, false, false, 0},
      {true, false, false, false, 0},
  };
  for (const auto& c : cases) {
    AppModel m;
    m.run.newSample = c.newSample;
    m.flags.running = c.running;
    RecordingObserver seen;
    EXPECT_EQ(CommitTick(m, c.rubberBand, seen), c.committed);
    EXPECT_EQ(m.store.sampleCount, c.committed ? 1 : 0);
    EXPECT_EQ(m.run.newSample, c.newSample && !c.committed);
    EXPECT_EQ(seen.invalidations, c.invalidations);
  }
}

TEST_F(Acquisition, TheFirstReadingAfterRunRestartsTheStore) {
  AppModel m = Running(1);
  m.store.sampleCount = 40;
  m.run.endText = "old";
  m.statsBar.startTime = "old";
  m.statsBar.sampleCount = "40";
  m.cursorBar.aValue = m.cursorBar.average = "old";
  RecordingObserver seen;
  IngestBlock(m, ReadingBytes(kMbar, 0, 0, "12.34"), kStart, seen);
  EXPECT_EQ(m.store.sampleCount, 0);
  EXPECT_EQ(m.run.startTime, kStart);
  EXPECT_TRUE(m.run.endText.empty());
  EXPECT_TRUE(m.statsBar.startTime.empty());
  EXPECT_TRUE(m.statsBar.sampleCount.empty());
  EXPECT_FALSE(m.flags.runRequested);
  EXPECT_FALSE(m.flags.stopped);
  EXPECT_EQ(seen.cursorBar, 1);
  EXPECT_EQ(m.cursorBar.boxes(), (std::array<std::string, 9>{}));
  // The first sample of the run carries its unit, not the slot's leftovers.
  EXPECT_EQ(m.store.unitNameAt[0], "mbar");
  EXPECT_EQ(Bits(m.store.toPsiAt[0]), Bits(0.0145053668f));
  EXPECT_EQ(Bits(m.store.fullScaleAt[0]), Bits(3585.91992f));
  EXPECT_EQ(Bits(m.store.values[0]), Bits(12.3f));
  // Later readings of the same run do not restart it.
  CommitTick(m, false, NullObserver());
  Feed(m, ReadingBytes(kMbar, 0, 0, "12.34"), kStart + 1);
  EXPECT_EQ(m.store.sampleCount, 1);
}

TEST_F(Acquisition, ANewRunStartsOnTheLiveChartWithoutWaitingForAPaint) {
  constexpr int kW = 1000, kH = 700;  // a 636-pixel plot
  AppModel m = Running(1);
  ModelObserver& none = NullObserver();
  // The first run: 150 samples painted as they come (compressed), then zoomed,
  // panned and measured.
  for (int n = 0; n < 150; ++n) {
    Feed(m, ReadingBytes(kPsi, 0, 0, n % 2 ? "1.000" : "2.000"), kStart + n);
    ASSERT_TRUE(CommitTick(m, false, none));
    LayoutChart(m, kW, kH);
  }
  ASSERT_GT(m.chart.windowSamples, kInitialWindowSamples);
  ASSERT_TRUE(LeftPress(m, {400, 200}, kW, kH));
  MouseMove(m, {700, 450}, kW, kH);
  ASSERT_EQ(LeftRelease(m, {700, 450}, kW, kH, none), ZoomOutcome::kAccepted);
  LayoutChart(m, kW, kH);
  ScrollTo(m, m.chart.zoomLeft - 3, none);
  ASSERT_TRUE(RightRelease(m, 500, kW, kH, none));
  LayoutChart(m, kW, kH);
  ASSERT_FALSE(m.cursorBar.aValue.empty());

  // The second run: its first two samples come while no paint happens (the window
  // is minimised, say).
  Stop(m, none);
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart + 200);
  ConfirmRun(m, 1, none);
  RecordingObserver seen;
  IngestBlock(m, ReadingBytes(kPsi, 0, 0, "3.000"), kStart + 300, seen);
  EXPECT_EQ(seen.cursorBar, 1);
  EXPECT_GE(seen.commands, 1);  // Undo zoom is no longer available
  ASSERT_TRUE(CommitTick(m, false, none));
  Feed(m, ReadingBytes(kPsi, 0, 0, "3.000"), kStart + 301);
  ASSERT_TRUE(CommitTick(m, false, none));

  const ChartState& c = m.chart;
  EXPECT_EQ(c.windowSamples, kInitialWindowSamples);
  EXPECT_TRUE(c.live);
  EXPECT_EQ(c.zoomDepth, 0);
  EXPECT_EQ(c.scrollOffset, 0);
  EXPECT_TRUE(c.cursorsHidden);
  EXPECT_EQ(m.cursorBar, CursorBarTexts{});
  EXPECT_FALSE(Commands(m, false).undoZoom);
  // The first paint of the run shows it on the live step, without cursors.
  LayoutChart(m, kW, kH);
  EXPECT_EQ(c.step, 636.0f / 99.0f);
  EXPECT_EQ(c.windowSamples, kInitialWindowSamples);
  EXPECT_FALSE(ChartScrollBarState(m).enabled);
  EXPECT_EQ(m.cursorBar, CursorBarTexts{});
  // The next right click places cursor A again.
  ASSERT_TRUE(RightRelease(m, 294 + 6, kW, kH, none));
  EXPECT_EQ(c.cursorA, 1);
  EXPECT_EQ(c.cursorStage, CursorStage::kAPlaced);
}

TEST_F(Acquisition, AFullStoreEndsTheRunByItself) {
  AppModel m = Running(1);
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart);
  m.store.sampleCount = kMaxSamples - 1;
  Feed(m, ReadingBytes(kPsi, 1, 0, "1.000"), kStart);
  ASSERT_TRUE(CommitTick(m, false, NullObserver()));
  EXPECT_EQ(m.store.sampleCount, kMaxSamples);
  EXPECT_TRUE(m.flags.running);  // the next block ends it
  RecordingObserver seen;
  IngestBlock(m, std::vector<std::uint8_t>{0x01, 0x02}, kStart, seen);
  EXPECT_FALSE(m.flags.running);
  EXPECT_TRUE(m.flags.stopped);
  EXPECT_FALSE(m.flags.recording);
  const auto a = Commands(m, false);
  EXPECT_FALSE(a.stop);
  EXPECT_TRUE(a.save);
  EXPECT_TRUE(a.print);
  // Told once, and the run can be exported as after Stop.
  EXPECT_EQ(seen.runEnds, std::vector<RunEnd>{RunEnd::StoreFull});
  EXPECT_TRUE(m.statsBar.exportEnabled);
  IngestBlock(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart, seen);
  EXPECT_EQ(seen.runEnds.size(), 1u);
  // The store never grows past its committed maximum, even if a run is started again
  // before the first reading restarts it.
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart);
  ConfirmRun(m, 1, NullObserver());
  EXPECT_FALSE(CommitTick(m, false, NullObserver()));
  EXPECT_EQ(m.store.sampleCount, kMaxSamples);
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart + 100);
  EXPECT_EQ(m.store.sampleCount, 0);
}

TEST_F(Acquisition, ARunThatEndsByItselfSaysWhyAndWhatIsHeld) {
  struct Case {
    RunEnd cause;
    int samples;
    const char* text;
  };
  const Case cases[] = {
      {RunEnd::LinkLost, 11, "Run ended: the meter stopped answering at 22:13:25; 11 samples held"},
      {RunEnd::LinkLost, 1, "Run ended: the meter stopped answering at 22:13:25; 1 sample held"},
      {RunEnd::LinkLost, 0, "Run ended: the meter stopped answering at 22:13:25; 0 samples held"},
      {RunEnd::StoreFull, kMaxSamples, "Run ended: the store is full (17278 samples)"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunEndedText(c.cause, kStart + 5, c.samples), c.text);
}

TEST_F(Acquisition, RunConfirmedOrCancelled) {
  struct Case {
    bool confirmed;
    int entered;
    int intervalMs;
    bool running, canStop;
  };
  const Case cases[] = {
      {false, 0, 0, false, false},
      {true, 3, 3000, true, true},
      {true, 0, 1000, true, true},
      {true, -7, 1000, true, true},
      {true, INT_MAX, (INT_MAX / 1000) * 1000, true, true},
  };
  for (const auto& c : cases) {
    AppModel m;
    Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"));
    RecordingPort port;
    port.opened = true;
    if (c.confirmed) ConfirmRun(m, c.entered, NullObserver());
    m.statsBar.exportEnabled = true;
    RecordingObserver seen;
    EXPECT_EQ(FinishRunCommand(m, port, seen), "");
    SCOPED_TRACE(c.entered);
    EXPECT_EQ(port.writes(), std::vector<std::string>(3, "11"));
    EXPECT_FALSE(m.statsBar.exportEnabled);
    // Armed once, with the period chosen; a cancelled first Run has none yet.
    EXPECT_EQ(seen.armedPeriods, std::vector<int>{c.intervalMs});
    EXPECT_EQ(m.run.intervalMs, c.intervalMs);
    EXPECT_EQ(m.flags.running, c.running);
    EXPECT_EQ(m.flags.runRequested, c.running);
    EXPECT_EQ(m.flags.graphHasData, c.running);
    EXPECT_EQ(Commands(m, false).stop, c.canStop);
    EXPECT_EQ(Commands(m, false).run, !c.confirmed);
  }
}

TEST_F(Acquisition, RunSendsEvenWhenThePortFails) {
  AppModel m;
  RecordingPort port;
  port.failAt = 0;  // the open
  m.run.intervalMs = 4000;
  RecordingObserver seen;
  EXPECT_EQ(FinishRunCommand(m, port, seen), "refused");
  EXPECT_EQ(seen.armedPeriods, std::vector<int>{4000});
}

TEST_F(Acquisition, StopEndsTheRunAndAllowsTheExport) {
  AppModel m = Running(1);
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart);
  CommitTick(m, false, NullObserver());
  m.flags.recording = m.flags.hold = true;
  Stop(m, NullObserver());
  EXPECT_TRUE(m.flags.stopped);
  EXPECT_FALSE(m.flags.running || m.flags.recording || m.flags.hold || m.run.canStop);
  EXPECT_TRUE(m.statsBar.exportEnabled);
  EXPECT_FALSE(Commands(m, false).run);
  Feed(m, ReadingBytes(kPsi, 0, 0, "1.000"), kStart);  // the next reading gives idle
  EXPECT_TRUE(Commands(m, false).run);
}

}  // namespace
}  // namespace pv
