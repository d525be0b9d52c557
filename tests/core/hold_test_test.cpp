// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's analysis against the worked examples of docs/hold-test.md, the live
// test's verdict beside a reader's recomputation, and the run's dates.
#include "holdtest/hold_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "hold_rows.h"
#include "holdtest/live_hold_test.h"

namespace pv {
namespace {

using test::ReadingRows;

std::string Joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& t : texts) all += (all.empty() ? "" : "; ") + t;
  return all;
}

constexpr double kNone = NAN;
const double kPsiInMbar = static_cast<double>(0.72f) / static_cast<double>(0.0145053668f);

TEST(HoldTest, WorkedExamples) {
  const struct {
    const char* name;
    const char* unit;
    const char* readings;
    int interval, first, last;
    AllowedKind kind;
    double allowed, minimum;
    double start, end, percent;
    HoldDirection direction;
    const char* reasons;  // "" when passed
  } cases[] = {
      {"falling pass", "mbar", "50.0 49.9 49.8 49.7 49.6", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 50.0,
       49.6, -0.8, HoldDirection::Falling, ""},
      {"falling fail", "mbar", "50.1 50.0 49.8 49.5 49.1 48.6 48.0", 30, 1, 5, AllowedKind::Percent, 1.0,
       kNone, 50.0, 48.6, -2.8, HoldDirection::Falling, "dropped 2.80 % (allowed 1.00 %)"},
      {"rising hold", "psi", "2.000 2.010 2.030 2.050", 60, 0, -1, AllowedKind::Amount, 0.1, kNone, 2.0, 2.05,
       2.5, HoldDirection::Rising, ""},
      {"rising beyond", "psi", "2.000 2.100 2.200", 60, 0, -1, AllowedKind::Amount, 0.1, kNone, 2.0, 2.2,
       10.0, HoldDirection::Rising, "rose 0.200 psi (allowed 0.100 psi)"},
      {"stable hold", "mbar", "50.0 50.1 49.9 50.0", 60, 0, -1, AllowedKind::Amount, 0.5, kNone, 50.0, 50.0,
       0.0, HoldDirection::Stable, ""},
      {"a swing outside the band", "mbar", "50.0 48.2 50.0", 10, 0, -1, AllowedKind::Amount, 0.5, kNone, 50.0,
       50.0, 0.0, HoldDirection::Stable,
       "left the allowed band at 10:00:10: 1.8 mbar below the start (allowed 0.5 mbar)"},
      {"minimum breached", "psi", "4.000 3.995 3.988 3.992", 10, 0, -1, AllowedKind::Percent, 1.0, 3.99, 4.0,
       3.992, -0.2, HoldDirection::Falling, "fell below 3.990 psi at 10:00:20"},
      {"errors in the window", "mbar", "50.0 E 50.0 E 49.9", 30, 0, -1, AllowedKind::Percent, 1.0, kNone,
       50.0, 49.9, -0.2, HoldDirection::Falling, "2 error samples in the window"},
      {"unit change", "mbar", "50.0 49.9 psi:0.720", 60, 0, -1, AllowedKind::Percent, 1.0, kNone, 50.0,
       kPsiInMbar, (kPsiInMbar - 50.0) * 2, HoldDirection::Falling, ""},
      {"start at zero, amount", "psi", "0.000 -0.002 -0.004", 60, 0, -1, AllowedKind::Amount, 0.005, kNone,
       0.0, -0.004, kNone, HoldDirection::Falling, ""},
      {"exactly the allowed drop", "mbar", "40.0 39.8 39.6", 60, 0, -1, AllowedKind::Percent, 1.0, kNone,
       40.0, 39.6, -1.0, HoldDirection::Falling, ""},
      {"only error samples", "mbar", "E E", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 0.0, 0.0, kNone,
       HoldDirection::Stable, "the window holds only error samples; 2 error samples in the window"},
      {"one valid reading", "mbar", "50.0 E", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 50.0, 50.0, 0.0,
       HoldDirection::Stable, "only one valid reading in the window; 1 error sample in the window"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HoldCriteria criteria{c.first, c.last, c.kind, c.allowed, std::nullopt, 4};
    if (!std::isnan(c.minimum)) criteria.minimum = c.minimum;
    const HoldOutcome outcome =
        AnalyseHold(ReadingRows(c.unit, c.readings, c.interval), c.interval, criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    const HoldResult& r = outcome.result;
    EXPECT_NEAR(r.start, c.start, 1e-6);
    EXPECT_NEAR(r.end, c.end, 1e-6);
    EXPECT_EQ(r.changePercent.has_value(), !std::isnan(c.percent));
    if (r.changePercent) {
      EXPECT_NEAR(*r.changePercent, c.percent, 0.005);
    }
    EXPECT_STREQ(DirectionName(r.direction), DirectionName(c.direction));
    EXPECT_EQ(Joined(r.reasons), c.reasons);
    EXPECT_EQ(r.passed, std::string(c.reasons).empty());
  }
}

// K equal steps; each checkpoint is the last valid reading at or before its step's end,
// and a step steeper than the one before by a count or more is flagged.
TEST(HoldTest, CheckpointsTakeTheLastValidReadingOfEachStep) {
  const struct {
    const char* readings;
    int checkpoints;
    std::vector<double> values;
    const char* times;
    const char* steeper;  // one mark per checkpoint
  } cases[] = {
      {"1.250 1.248 1.245 1.241 1.236",
       4,
       {1.248, 1.245, 1.241, 1.236},
       "10:00:30 10:01:00 10:01:30 10:02:00",
       "-+++"},
      {"1.250 1.248 1.246 1.244 1.242",
       4,
       {1.248, 1.246, 1.244, 1.242},
       "10:00:30 10:01:00 10:01:30 10:02:00",
       "----"},
      {"1.250 1.249 1.247 1.246", 2, {1.249, 1.246}, "10:00:45 10:01:30", "-+"},
      {"1.250 E E 1.240 1.239",
       4,
       {1.250, 1.250, 1.240, 1.239},
       "10:00:30 10:01:00 10:01:30 10:02:00",
       "--+-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readings);
    const HoldCriteria criteria{0, -1, AllowedKind::Percent, 5.0, std::nullopt, c.checkpoints};
    const HoldOutcome outcome = AnalyseHold(ReadingRows("bar", c.readings, 30), 30, criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    std::vector<double> values;
    std::string times, steeper;
    for (const HoldCheckpoint& p : outcome.result.checkpoints) {
      values.push_back(std::round(p.value * 1000) / 1000);
      times += (times.empty() ? "" : " ") + p.time;
      steeper += p.steeper ? '+' : '-';
    }
    EXPECT_EQ(values, c.values);
    EXPECT_EQ(times, c.times);
    EXPECT_EQ(steeper, c.steeper);
  }
}

TEST(HoldTest, AWindowThatCannotBeJudgedIsAClearError) {
  const struct {
    const char* readings;
    int first, last, checkpoints;
    AllowedKind kind;
    double allowed;
    HoldError error;
  } cases[] = {
      {"", 0, -1, 4, AllowedKind::Percent, 0.5, HoldError::EmptyRun},
      {"1.250 1.249 1.248", 3, -1, 4, AllowedKind::Percent, 0.5, HoldError::WindowOutsideRun},
      {"1.250 1.249 1.248", 0, 3, 4, AllowedKind::Percent, 0.5, HoldError::WindowOutsideRun},
      {"1.250 1.249 1.248", 2, 1, 4, AllowedKind::Percent, 0.5, HoldError::WindowOutsideRun},
      {"1.250 1.249 1.248", 1, 1, 4, AllowedKind::Percent, 0.5, HoldError::TooFewSamples},
      {"0.000 -0.010", 0, -1, 4, AllowedKind::Percent, 0.5, HoldError::PercentNeedsPositiveStart},
      {"1.250 1.249", 0, -1, 4, AllowedKind::Amount, -0.1, HoldError::NoCriterion},
      {"1.250 1.249", 0, -1, 4, AllowedKind::Amount, NAN, HoldError::NoCriterion},
      {"1.250 1.249", 0, -1, 1, AllowedKind::Percent, 0.5, HoldError::BadCheckpoints},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.readings << " [" << c.first << ", " << c.last << "]");
    const HoldCriteria criteria{c.first, c.last, c.kind, c.allowed, std::nullopt, c.checkpoints};
    const HoldOutcome outcome = AnalyseHold(ReadingRows("bar", c.readings, 30), 30, criteria);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_FALSE(outcome.message.empty());
  }
}

// A live test's verdict is the one any reader recomputes from its samples and its stored
// criteria: a test stopped early does not pass there either.
TEST(HoldTest, ALiveTestsVerdictIsTheOneItsCriteriaGiveAgain) {
  const struct {
    int fed;  // samples committed, one a second, to a test of 10 min
    bool runEnds;
    const char* shown;  // the state and the reasons
  } cases[] = {
      {8, true,
       "ended early at 00:00:07 of 00:10:00: not complete: the test ended after 00:00:07 of 00:10:00"},
      {3, false, "going, 00:00:02 of 00:10:00: not complete yet: 00:00:02 of 00:10:00 so far"},
  };
  const ReadingRows rows("mbar", "50.0 50.0 50.0 50.0 50.0 50.0 50.0 50.0", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    LiveHoldTest test;
    ASSERT_TRUE(test.arm(HoldCriteria{0, -1, AllowedKind::Percent, 1.0, std::nullopt, 4}, 600));
    for (int i = 0; i < c.fed; ++i) test.sampleCommitted(rows, i, 1);
    if (c.runEnds) test.runEnded();
    const HoldOutcome& shown = test.outcomeSoFar();
    const HoldResult& r = shown.result;
    EXPECT_EQ(HoldStateText(r) + ": " + Joined(r.reasons), c.shown) << shown.message;
    EXPECT_FALSE(r.passed);
    if (c.runEnds) {
      EXPECT_EQ(Joined(AnalyseHold(rows, 1, test.criteria()).result.reasons), Joined(r.reasons));
    }
  }
}

// A data file keeps only its start's time of day; a record bound to it tells the date,
// unless its start is no whole date-time or another time of day.
TEST(RunDates, AFilesRowsAreDatedByTheStartItsRecordTells) {
  const std::string oldZone = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  const struct {
    const char* fileStart;  // HH:MM:SS, a sample every 30 s
    const char* startUtc;
    int row;
    const char* dated;  // the row's time, then its date-time when dated
  } cases[] = {
      {"10:00:00", "2026-07-01T08:00:00Z", 0, "10:00:00 2026-07-01T10:00:00+02:00"},
      {"10:00:00", "2026-07-01T05:30:00-02:30", 1, "10:00:30 2026-07-01T10:00:30+02:00"},
      {"23:59:30", "2026-12-10T22:59:30Z", 2, "00:00:30 2026-12-11T00:00:30+01:00"},
      {"01:59:30", "2026-03-29T00:59:30Z", 2, "02:00:30 2026-03-29T02:00:30+01:00"},  // offset of the start
      {"10:00:05", "2026-12-10T09:00:00Z", 1, "10:00:35 "},
      {"10:00:00", "2026-02-29T09:00:00Z", 0, "10:00:00 "},
      {"10:00:00", "2026-12-10T09:00:00", 0, "10:00:00 "},
      {"10:00:00", "2026-12-10T09:00:00+01:00x", 0, "10:00:00 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.startUtc);
    LoggerStore store;
    store.recordCount = 3;
    store.intervalMs = 30000;
    std::sscanf(c.fileStart, "%d:%d:%d", &store.startHour, &store.startMinute, &store.startSecond);
    const SampleRow row = LoggerFileRows(store, ParseIsoDateTime(c.startUtc)).row(c.row);
    EXPECT_EQ(row.time + " " + IsoDateTime(row), c.dated);
  }
  oldZone.empty() ? unsetenv("TZ") : setenv("TZ", oldZone.c_str(), 1);
  tzset();
}

}  // namespace
}  // namespace pv
