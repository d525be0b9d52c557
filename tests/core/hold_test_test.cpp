// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's analysis against the worked examples of docs/hold-test.md.
#include "holdtest/hold_test.h"

#include <gtest/gtest.h>

#include <cmath>

#include "hold_rows.h"

namespace pv {
namespace {

using test::ReadingRows;

std::string Joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& t : texts) all += (all.empty() ? "" : "; ") + t;
  return all;
}

constexpr double kNone = NAN;

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
      {"falling pass", "bar", "1.250 1.249 1.248 1.247 1.246", 30, 0, -1, AllowedKind::Percent, 0.5, kNone,
       1.250, 1.246, -0.32, HoldDirection::Falling, ""},
      {"falling fail", "bar", "1.251 1.250 1.248 1.245 1.241 1.236 1.230", 30, 1, 5, AllowedKind::Percent,
       0.5, kNone, 1.250, 1.236, -1.12, HoldDirection::Falling, "dropped 1.12 % (allowed 0.50 %)"},
      {"rising hold", "psi", "20.00 20.01 20.03 20.05", 60, 0, -1, AllowedKind::Amount, 0.1, kNone, 20.0,
       20.05, 0.25, HoldDirection::Rising, ""},
      {"rising beyond", "psi", "20.00 20.10 20.20", 60, 0, -1, AllowedKind::Amount, 0.1, kNone, 20.0, 20.2,
       1.0, HoldDirection::Rising, "rose 0.20 psi (allowed 0.10 psi)"},
      {"stable hold", "kPa", "250.0 250.1 249.9 250.0", 60, 0, -1, AllowedKind::Percent, 0.0, kNone, 250.0,
       250.0, 0.0, HoldDirection::Stable, ""},
      {"minimum breached", "psi", "100.0 99.5 98.8 99.2", 10, 0, -1, AllowedKind::Percent, 1.0, 99.0, 100.0,
       99.2, -0.8, HoldDirection::Falling, "fell below 99.0 psi at 10:00:20"},
      {"errors in the window", "bar", "1.250 E 1.250 E 1.249", 30, 0, -1, AllowedKind::Percent, 0.5, kNone,
       1.250, 1.249, -0.08, HoldDirection::Falling, "2 error samples in the window"},
      {"unit change", "bar", "1.000 0.999 psi:14.50", 60, 0, -1, AllowedKind::Percent, 0.5, kNone, 1.0,
       14.5 / 14.5348835, -0.24, HoldDirection::Falling, ""},
      {"start at zero, amount", "psi", "0.000 -0.002 -0.004", 60, 0, -1, AllowedKind::Amount, 0.005, kNone,
       0.0, -0.004, kNone, HoldDirection::Falling, ""},
      {"exactly the allowed drop", "bar", "2.000 1.995 1.990", 60, 0, -1, AllowedKind::Percent, 0.5, kNone,
       2.0, 1.99, -0.5, HoldDirection::Falling, ""},
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
      {"1.250 1.249 1.248", -1, 2, 4, AllowedKind::Percent, 0.5, HoldError::WindowOutsideRun},
      {"1.250 E E", 1, 2, 4, AllowedKind::Percent, 0.5, HoldError::NoValidSample},
      {"0.000 -0.010", 0, -1, 4, AllowedKind::Percent, 0.5, HoldError::PercentNeedsPositiveStart},
      {"1.250 1.249", 0, -1, 4, AllowedKind::Amount, -0.1, HoldError::NoCriterion},
      {"1.250 1.249", 0, -1, 4, AllowedKind::Amount, NAN, HoldError::NoCriterion},
      {"1.250 1.249", 0, -1, 1, AllowedKind::Percent, 0.5, HoldError::BadCheckpoints},
      {"1.250 1.249", 0, -1, 9, AllowedKind::Percent, 0.5, HoldError::BadCheckpoints},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.readings << " [" << c.first << ", " << c.last << "]");
    const HoldCriteria criteria{c.first, c.last, c.kind, c.allowed, std::nullopt, c.checkpoints};
    const HoldOutcome outcome = AnalyseHold(ReadingRows("bar", c.readings, 30), 30, criteria);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_FALSE(outcome.message.empty());
  }
}

}  // namespace
}  // namespace pv
