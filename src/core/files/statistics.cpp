#include "files/statistics.h"

#include "text_format.h"

namespace pv {
namespace {

constexpr const char* kTimeFormat = "%H:%M:%S";
constexpr const char* kNoAverage = "----";

std::string ThreeDecimals(double value) {
  return Format("%.3f", value);
}

}  // namespace

void ResetStatistics(RecStatistics& stats, RealTimeBarTexts& bar) {
  const std::time_t maxTime = stats.g_timeRecMax;
  const std::time_t minTime = stats.g_timeRecMin;
  stats = RecStatistics{};
  stats.g_timeRecMax = maxTime;
  stats.g_timeRecMin = minTime;
  ClearStatisticsTexts(bar);
}

void StatisticsStep(RecStatistics& stats, RealTimeBarTexts& bar, float value, int rangeError,
                    std::time_t now) {
  ++stats.g_nRecCount;
  // Strict comparisons: a tie keeps the time of the first reading that reached it.
  if (stats.g_fRecMax < value && stats.g_nRecError != 1 && rangeError == 0) {
    stats.g_fRecMax = value;
    stats.g_timeRecMax = now;
    bar.maximum = ThreeDecimals(value);
  }
  bool skipAverage = false;
  if (stats.g_fRecMin > value && stats.g_nRecError != 2) {
    if (rangeError != 0) {
      skipAverage = true;
    } else {
      stats.g_fRecMin = value;
      stats.g_timeRecMin = now;
      bar.minimum = ThreeDecimals(value);
    }
  }
  if (!skipAverage && rangeError == 0 && stats.g_nRecError == 0) {
    stats.g_dRecSum += static_cast<double>(value);
    bar.average = ThreeDecimals(stats.g_dRecSum / stats.g_nRecCount);
  }
  if (stats.g_nRecError == 1) bar.maximum = "ERR1";
  if (stats.g_nRecError == 2) bar.minimum = "ERR2";
  if (stats.g_nRecError != 0) bar.average = kNoAverage;
  bar.maximumTime = FormatLocalTime(stats.g_timeRecMax, kTimeFormat);
  bar.minimumTime = FormatLocalTime(stats.g_timeRecMin, kTimeFormat);
}

void StatisticsRangeReport(RecStatistics& stats, RealTimeBarTexts& bar, int errorNumber, std::time_t now) {
  if (errorNumber == 1) {
    stats.g_nRecError = 1;
    stats.g_timeRecMax = now;
    bar.maximum = "ERR1";
    bar.average = kNoAverage;
    bar.maximumTime = FormatLocalTime(stats.g_timeRecMax, kTimeFormat);
  } else if (errorNumber == 2) {
    stats.g_nRecError = 2;
    stats.g_timeRecMin = now;
    bar.minimum = "ERR2";
    bar.average = kNoAverage;
    bar.minimumTime = FormatLocalTime(stats.g_timeRecMin, kTimeFormat);
  }
}

void ClearStatisticsTexts(RealTimeBarTexts& bar) {
  bar.maximum.clear();
  bar.maximumTime.clear();
  bar.minimum.clear();
  bar.minimumTime.clear();
  bar.average.clear();
}

}  // namespace pv
