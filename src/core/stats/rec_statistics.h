// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The statistics of readings taken while the meter is in REC mode, and the texts of
// the statistics bar above the chart.
#include <ctime>
#include <string>

namespace pv {

struct RecStatistics {
  float maximum = -400.0f;
  float minimum = 400.0f;
  double sum = 0.0;
  int count = 0;
  int error = 0;  // 0, or 1 / 2 after an ERR1 / ERR2 report during REC
  std::time_t maximumTime = 0;
  std::time_t minimumTime = 0;
};

struct StatisticsBarTexts {
  std::string startTime;   // "%d/%m/%y %H:%M:%S" of the run start
  std::string sampleCount;
  std::string interval;    // seconds
  std::string battery;     // "Normal" / "Low"
  std::string maximum, maximumTime;
  std::string minimum, minimumTime;
  std::string average;
};

}  // namespace pv
