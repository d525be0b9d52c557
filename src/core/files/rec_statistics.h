#pragma once
// The statistics of readings taken while the meter is in REC mode, and the texts of
// the statistics bar above the chart.
#include <ctime>
#include <string>

namespace pv {

struct RecStatistics {
  float g_fRecMax = -400.0f;
  float g_fRecMin = 400.0f;
  double g_dRecSum = 0.0;
  int g_nRecCount = 0;
  int g_nRecError = 0;  // 0, or 1 / 2 after an ERR1 / ERR2 report during REC
  std::time_t g_timeRecMax = 0;
  std::time_t g_timeRecMin = 0;
};

struct RealTimeBarTexts {
  std::string startTime;   // "%d/%m/%y %H:%M:%S" of the run start
  std::string sampleCount;
  std::string interval;    // seconds
  std::string battery;     // "Normal" / "Low"
  std::string maximum, maximumTime;
  std::string minimum, minimumTime;
  std::string average;
  bool exportEnabled = false;  // "Export Excel"
};

}  // namespace pv
