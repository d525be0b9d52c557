// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/statistics.h"

#include "text_format.h"

namespace pv {
namespace {

constexpr const char* kTimeFormat = "%H:%M:%S";
constexpr const char* kNoAverage = "----";

std::string ThreeDecimals(double value) {
  return Format("%.3f", value);
}

}  // namespace

void ResetStatistics(RecStatistics& stats, StatisticsBarTexts& bar) {
  const std::time_t maxTime = stats.maximumTime;
  const std::time_t minTime = stats.minimumTime;
  stats = RecStatistics{};
  stats.maximumTime = maxTime;
  stats.minimumTime = minTime;
  ClearStatisticsTexts(bar);
}

void StatisticsStep(RecStatistics& stats, StatisticsBarTexts& bar, float value, bool rangeErrorShown,
                    std::time_t now) {
  ++stats.count;
  // Strict comparisons: a tie keeps the time of the first reading that reached it.
  if (stats.maximum < value && stats.error != 1 && !rangeErrorShown) {
    stats.maximum = value;
    stats.maximumTime = now;
    bar.maximum = ThreeDecimals(value);
  }
  bool skipAverage = false;
  if (stats.minimum > value && stats.error != 2) {
    if (rangeErrorShown) {
      skipAverage = true;
    } else {
      stats.minimum = value;
      stats.minimumTime = now;
      bar.minimum = ThreeDecimals(value);
    }
  }
  if (!skipAverage && !rangeErrorShown && stats.error == 0) {
    stats.sum += static_cast<double>(value);
    bar.average = ThreeDecimals(stats.sum / stats.count);
  }
  if (stats.error == 1) bar.maximum = "ERR1";
  if (stats.error == 2) bar.minimum = "ERR2";
  if (stats.error != 0) bar.average = kNoAverage;
  bar.maximumTime = FormatLocalTime(stats.maximumTime, kTimeFormat);
  bar.minimumTime = FormatLocalTime(stats.minimumTime, kTimeFormat);
}

void StatisticsRangeReport(RecStatistics& stats, StatisticsBarTexts& bar, int errorNumber, std::time_t now) {
  if (errorNumber == 1) {
    stats.error = 1;
    stats.maximumTime = now;
    bar.maximum = "ERR1";
    bar.average = kNoAverage;
    bar.maximumTime = FormatLocalTime(stats.maximumTime, kTimeFormat);
  } else if (errorNumber == 2) {
    stats.error = 2;
    stats.minimumTime = now;
    bar.minimum = "ERR2";
    bar.average = kNoAverage;
    bar.minimumTime = FormatLocalTime(stats.minimumTime, kTimeFormat);
  }
}

void ClearStatisticsTexts(StatisticsBarTexts& bar) {
  bar.maximum.clear();
  bar.maximumTime.clear();
  bar.minimum.clear();
  bar.minimumTime.clear();
  bar.average.clear();
}

}  // namespace pv
