// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/statistics.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "link/ingest.h"
#include "live_fixtures.h"

namespace pv {
namespace {

using namespace test;

constexpr std::time_t kT = 1700000000;  // 22:13:20 UTC

struct Texts {
  std::string max, maxTime, min, minTime, avg;
  bool operator==(const Texts&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Texts& t) {
  return o << t.max << " @" << t.maxTime << " | " << t.min << " @" << t.minTime << " | " << t.avg;
}
Texts Of(const StatisticsBarTexts& b) {
  return {b.maximum, b.maximumTime, b.minimum, b.minimumTime, b.average};
}

class Statistics : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(Statistics, ExtremesKeepTheTimeOfTheFirstReadingThatReachedThem) {
  RecStatistics s;
  StatisticsBarTexts b;
  struct Step {
    float value;
    std::time_t at;
    Texts after;
  };
  const Step steps[] = {
      {2.5f, kT, {"2.500", "22:13:20", "2.500", "22:13:20", "2.500"}},
      {3.0f, kT + 1, {"3.000", "22:13:21", "2.500", "22:13:20", "2.750"}},
      {3.0f, kT + 2, {"3.000", "22:13:21", "2.500", "22:13:20", "2.833"}},  // a tie keeps 22:13:21
      {2.5f, kT + 3, {"3.000", "22:13:21", "2.500", "22:13:20", "2.750"}},
      {-1.0f, kT + 4, {"3.000", "22:13:21", "-1.000", "22:13:24", "2.000"}},
      {450.0f, kT + 5, {"450.000", "22:13:25", "-1.000", "22:13:24", "76.667"}},
  };
  for (const auto& st : steps) {
    StatisticsStep(s, b, st.value, 0, st.at);
    EXPECT_EQ(Of(b), st.after) << st.value;
  }
  EXPECT_EQ(s.count, 6);
  EXPECT_EQ(s.sum, 2.5 + 3.0 + 3.0 + 2.5 - 1.0 + 450.0);
  // 400 and above can never become the minimum.
  RecStatistics high;
  StatisticsBarTexts hb;
  StatisticsStep(high, hb, 450.0f, 0, kT);
  EXPECT_EQ(high.minimum, 400.0f);
  EXPECT_EQ(hb.minimum, "");
}

TEST_F(Statistics, RangeReportsFreezeTheirExtremeAndTheAverage) {
  struct Case {
    int error;
    Texts after;
    float max, min;
  };
  const Case cases[] = {
      {1, {"ERR1", "22:13:22", "0.500", "22:13:23", "----"}, 2.0f, 0.5f},
      {2, {"9.000", "22:13:23", "ERR2", "22:13:22", "----"}, 9.0f, 1.0f},
      {3, {"9.000", "22:13:23", "0.500", "22:13:23", "3.125"}, 9.0f, 0.5f},  // ERR3 leaves it alone
  };
  for (const auto& c : cases) {
    RecStatistics s;
    StatisticsBarTexts b;
    StatisticsStep(s, b, 1.0f, 0, kT);
    StatisticsStep(s, b, 2.0f, 0, kT + 1);
    StatisticsRangeReport(s, b, c.error, kT + 2);
    StatisticsStep(s, b, 9.0f, 0, kT + 3);
    StatisticsStep(s, b, 0.5f, 0, kT + 3);
    EXPECT_EQ(Of(b), c.after) << c.error;
    EXPECT_EQ(s.maximum, c.max);
    EXPECT_EQ(s.minimum, c.min);
    EXPECT_EQ(s.count, 4);
  }
}

TEST_F(Statistics, ResetAndUnrec) {
  RecStatistics s;
  StatisticsBarTexts b;
  b.battery = "Low";
  StatisticsStep(s, b, 1.0f, 0, kT);
  StatisticsStep(s, b, 3.0f, 0, kT + 1);
  ClearStatisticsTexts(b);
  EXPECT_EQ(Of(b), Texts{});
  EXPECT_EQ(b.battery, "Low");
  // Still recording: the next reading refills the boxes from the old accumulators.
  StatisticsStep(s, b, 2.0f, 0, kT + 2);
  EXPECT_EQ(Of(b), (Texts{"", "22:13:21", "", "22:13:20", "2.000"}));
  StatisticsRangeReport(s, b, 1, kT + 3);
  ResetStatistics(s, b);
  EXPECT_EQ(Of(b), Texts{});
  EXPECT_EQ(s.maximum, -400.0f);
  EXPECT_EQ(s.minimum, 400.0f);
  EXPECT_EQ(s.sum, 0.0);
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.error, 0);
  EXPECT_EQ(s.maximumTime, kT + 3);  // times survive a reset
  EXPECT_EQ(s.minimumTime, kT);
}

TEST_F(Statistics, IngestionFeedsOnlyRecReadingsAndReportsErrorsDuringRec) {
  AppModel m;
  Feed(m, ReadingBytes(kPsi, 0, 0, "5.000"), kT);  // plain: reset, nothing counted
  EXPECT_EQ(m.stats.count, 0);
  Feed(m, ReadingBytes(kPsi, 1, 0, "1.000"), kT + 1);
  Feed(m, ReadingBytes(kPsi, 1, kNegative, "2.000"), kT + 2);
  EXPECT_EQ(Of(m.statsBar), (Texts{"1.000", "22:13:21", "-2.000", "22:13:22", "-0.500"}));
  Feed(m, ErrorBytes(0x10), kT + 3);
  EXPECT_EQ(Of(m.statsBar), (Texts{"ERR1", "22:13:23", "-2.000", "22:13:22", "----"}));
  EXPECT_FALSE(m.flags.recording);
  Feed(m, ErrorBytes(0x11), kT + 4);  // no longer recording: no report
  EXPECT_EQ(m.stats.error, 1);
  Feed(m, ReadingBytes(kPsi, 1, 0, "7.000"), kT + 5);
  EXPECT_EQ(Of(m.statsBar), (Texts{"ERR1", "22:13:23", "-2.000", "22:13:22", "----"}));
  EXPECT_EQ(m.stats.count, 3);
  Feed(m, ReadingBytes(kPsi, 0, 0, "7.000"), kT + 6);
  EXPECT_EQ(Of(m.statsBar), Texts{});
  EXPECT_EQ(m.statsBar.battery, "Normal");
}

}  // namespace
}  // namespace pv
