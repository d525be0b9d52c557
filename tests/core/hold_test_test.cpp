// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's analysis against the worked examples of docs/hold-test.md, the live
// test's verdict beside a reader's recomputation, and the run's dates.
#include "holdtest/hold_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

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

std::string Repeated(const char* reading, int n) {
  std::string all;
  for (int i = 0; i < n; ++i) all += std::string(reading) + " ";
  return all;
}

TEST(HoldTest, WorkedExamples) {
  const struct {
    const char* name;
    const char* unit;
    std::string readings;
    int interval, first, last;
    AllowedKind kind;
    double allowed, minimum;
    int holdSeconds;
    double start, end, percent;
    HoldDirection direction;
    const char* reasons;  // "" when passed
  } cases[] = {
      {"falling pass", "mbar", "50.0 49.9 49.8 49.7 49.6", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 0, 50.0,
       49.6, -0.8, HoldDirection::Falling, ""},
      {"falling fail", "mbar", "50.1 50.0 49.8 49.5 49.1 48.6 48.0", 30, 1, 5, AllowedKind::Percent, 1.0, kNone,
       0, 50.0, 48.6, -2.8, HoldDirection::Falling, "dropped 2.80 % (allowed 1.00 %)"},
      {"rising hold", "psi", "2.000 2.010 2.030 2.050", 60, 0, -1, AllowedKind::Amount, 0.1, kNone, 0, 2.0, 2.05,
       2.5, HoldDirection::Rising, ""},
      {"rising beyond", "psi", "2.000 2.100 2.200", 60, 0, -1, AllowedKind::Amount, 0.1, kNone, 0, 2.0, 2.2, 10.0,
       HoldDirection::Rising, "rose 0.200 psi (allowed 0.100 psi)"},
      {"stable hold", "mbar", "50.0 50.1 49.9 50.0", 60, 0, -1, AllowedKind::Amount, 0.5, kNone, 0, 50.0, 50.0,
       0.0, HoldDirection::Stable, ""},
      {"a swing outside the band", "mbar", "50.0 48.2 50.0", 10, 0, -1, AllowedKind::Amount, 0.5, kNone, 0, 50.0,
       50.0, 0.0, HoldDirection::Stable,
       "left the allowed band at 10:00:10: 1.8 mbar below the start (allowed 0.5 mbar)"},
      {"a fall and a return", "psi", "4.200 1.800 4.200", 10, 0, -1, AllowedKind::Percent, 0.5, kNone, 0, 4.2,
       4.2, 0.0, HoldDirection::Stable,
       "left the allowed band at 10:00:10: 2.400 psi below the start (allowed 0.021 psi)"},
      {"a swing to the edge of the band", "mbar", "50.0 50.5 49.5 50.0", 10, 0, -1, AllowedKind::Amount, 0.5,
       kNone, 0, 50.0, 50.0, 0.0, HoldDirection::Stable, ""},
      {"minimum breached", "psi", "4.000 3.995 3.988 3.992", 10, 0, -1, AllowedKind::Percent, 1.0, 3.99, 0, 4.0,
       3.992, -0.2, HoldDirection::Falling, "fell below 3.990 psi at 10:00:20"},
      {"errors in the window", "mbar", "50.0 E 50.0 E 49.9", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 0,
       50.0, 49.9, -0.2, HoldDirection::Falling, "2 error samples in the window"},
      {"unit change", "mbar", "50.0 49.9 psi:0.720", 60, 0, -1, AllowedKind::Percent, 1.0, kNone, 0, 50.0,
       kPsiInMbar, (kPsiInMbar - 50.0) * 2, HoldDirection::Falling, ""},
      {"start at zero, amount", "psi", "0.000 -0.002 -0.004", 60, 0, -1, AllowedKind::Amount, 0.005, kNone, 0,
       0.0, -0.004, kNone, HoldDirection::Falling, ""},
      {"exactly the allowed drop", "mbar", "40.0 39.8 39.6", 60, 0, -1, AllowedKind::Percent, 1.0, kNone, 0, 40.0,
       39.6, -1.0, HoldDirection::Falling, ""},
      {"only error samples", "mbar", "E E", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 0, 0.0, 0.0, kNone,
       HoldDirection::Stable, "the window holds only error samples; 2 error samples in the window"},
      {"one valid reading", "mbar", "50.0 E", 30, 0, -1, AllowedKind::Percent, 1.0, kNone, 0, 50.0, 50.0, 0.0,
       HoldDirection::Stable, "only one valid reading in the window; 1 error sample in the window"},
      {"ended early", "mbar", Repeated("50.0", 8), 1, 0, -1, AllowedKind::Percent, 1.0, kNone, 600, 50.0, 50.0,
       0.0, HoldDirection::Stable, "not complete: the test ended after 00:00:07 of 00:10:00"},
      {"complete at its period", "mbar", Repeated("50.0", 8), 1, 0, -1, AllowedKind::Percent, 1.0, kNone, 7, 50.0,
       50.0, 0.0, HoldDirection::Stable, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HoldCriteria criteria{c.first, c.last, c.kind, c.allowed, std::nullopt, 4};
    criteria.holdSeconds = c.holdSeconds;
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
    EXPECT_EQ(r.state, std::string(c.name) == "ended early" ? HoldState::EndedEarly : HoldState::Complete);
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
      {"1.250 1.249 1.247 1.246 1.244", 2, {1.247, 1.244}, "10:01:00 10:02:00", "--"},
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
      {"1.250", 0, -1, 4, AllowedKind::Percent, 0.5, HoldError::TooFewSamples},
      {"1.250 1.249 1.248", 1, 1, 4, AllowedKind::Percent, 0.5, HoldError::TooFewSamples},
      {"E", 0, -1, 4, AllowedKind::Percent, 0.5, HoldError::TooFewSamples},
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
    const char* name;
    int holdSeconds;
    int fed;  // samples committed, one a second
    bool runEnds;
    LiveHoldStage stage;
    HoldState state;
    const char* lastReason;  // or the message when there is no result
  } cases[] = {
      {"stopped after 8 s of 10 min", 600, 8, true, LiveHoldStage::NotComplete, HoldState::EndedEarly,
       "not complete: the test ended after 00:00:07 of 00:10:00"},
      {"still going", 600, 3, false, LiveHoldStage::Running, HoldState::Going,
       "not complete yet: 00:00:02 of 00:10:00 so far"},
      {"complete", 5, 6, false, LiveHoldStage::Complete, HoldState::Complete, ""},
      {"one sample so far", 600, 1, false, LiveHoldStage::Running, HoldState::Going,
       "waiting for a second sample"},
  };
  const ReadingRows rows("mbar", Repeated("50.0", 10), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LiveHoldTest test;
    HoldCriteria asked;
    asked.allowed = 1.0;
    ASSERT_TRUE(test.arm(asked, c.holdSeconds));
    for (int i = 0; i < c.fed; ++i) test.sampleCommitted(rows, i, 1);
    if (c.runEnds) test.runEnded();
    EXPECT_EQ(test.stage(), c.stage);
    const HoldOutcome& shown = test.outcomeSoFar();
    if (shown.error != HoldError::None) {
      EXPECT_EQ(shown.message, c.lastReason);
      continue;
    }
    const HoldResult& r = shown.result;
    EXPECT_EQ(r.state, c.state);
    EXPECT_EQ(r.reasons.empty() ? std::string() : r.reasons.back(), c.lastReason);
    EXPECT_EQ(r.passed, c.stage == LiveHoldStage::Complete);
    if (c.stage == LiveHoldStage::Running) continue;
    const HoldOutcome again = AnalyseHold(rows, 1, test.criteria());
    EXPECT_EQ(again.result.passed, r.passed);
    EXPECT_EQ(again.result.state, r.state);
    EXPECT_EQ(again.result.reasons, r.reasons);
  }
}

TEST(RunDates, ADateTextReadsBackAsTheSameMoment) {
  const struct {
    std::int64_t localSeconds;
    int utcOffset;
    const char* text;
  } cases[] = {
      {946684800, 0, "2000-01-01T00:00:00+00:00"},
      {1796907780 + 3600, 3600, "2026-12-10T14:03:00+01:00"},
      {1782906330 - 9000, -9000, "2026-07-01T09:15:30-02:30"},
      {951782400 - 1, 0, "2000-02-28T23:59:59+00:00"},
  };
  for (const auto& c : cases) {
    SampleRow row;
    row.dated = true;
    row.localSeconds = c.localSeconds;
    row.utcOffset = c.utcOffset;
    EXPECT_EQ(IsoDateTime(row), c.text);
    EXPECT_EQ(ParseIsoDateTime(c.text), c.localSeconds - c.utcOffset) << c.text;
  }
  EXPECT_EQ(IsoDateTime(SampleRow{}), "");
  EXPECT_EQ(ParseIsoDateTime("2000-01-01T00:00:00Z"), 946684800);
  EXPECT_EQ(ParseIsoDateTime("2024-02-29T00:00:00Z"), 1709164800);
  for (const char* bad : {"", "2026-02-29T10:00:00Z", "2026-12-10T24:00:00Z", "2026-12-10 14:03:00+01:00",
                          "2026-12-10T14:03:00", "2026-12-10T14:03:00+1:00", "2026-12-10T14:03:00+01:00x",
                          "2026-13-10T14:03:00Z", "2026-12-10T14:03:60Z", "2026-12-10T14:03:00+24:00",
                          "20261210T140300Z", "+026-12-10T14:03:00Z"})
    EXPECT_FALSE(ParseIsoDateTime(bad).has_value()) << bad;
}

// The time zone a test runs in, put back afterwards.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (old_)
      setenv("TZ", old_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

// A data file keeps only its start's time of day; a record bound to it tells the date.
TEST(RunDates, AFilesRowsAreDatedByTheStartItsRecordTells) {
  const TimeZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
  const struct {
    const char* name;
    const char* fileStart;  // HH:MM:SS
    int interval;
    const char* startUtc;
    int row;
    const char* time;
    const char* dated;  // "" when undated
  } cases[] = {
      {"winter", "10:00:00", 30, "2026-12-10T09:00:00Z", 2, "10:01:00", "2026-12-10T10:01:00+01:00"},
      {"summer", "10:00:00", 30, "2026-07-01T08:00:00Z", 0, "10:00:00", "2026-07-01T10:00:00+02:00"},
      {"across midnight", "23:59:30", 30, "2026-12-10T22:59:30Z", 2, "00:00:30", "2026-12-11T00:00:30+01:00"},
      {"across the change to summer time", "01:59:00", 60, "2026-03-29T00:59:00Z", 2, "02:01:00",
       "2026-03-29T02:01:00+01:00"},
      {"a start of another time of day", "10:00:05", 30, "2026-12-10T09:00:00Z", 1, "10:00:35", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerStore store;
    store.recordCount = 3;
    store.intervalMs = c.interval * 1000;
    std::sscanf(c.fileStart, "%d:%d:%d", &store.startHour, &store.startMinute, &store.startSecond);
    const LoggerFileRows rows(store, ParseIsoDateTime(c.startUtc));
    const SampleRow row = rows.row(c.row);
    EXPECT_EQ(row.time, c.time);
    EXPECT_EQ(IsoDateTime(row), c.dated);
    EXPECT_EQ(IsoDateTime(LoggerFileRows(store).row(c.row)), "");
  }
}

}  // namespace
}  // namespace pv
