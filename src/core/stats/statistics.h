// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The REC statistics: maximum, minimum and average of the readings taken while the
// meter records, with the times of the extremes, as the statistics bar shows them.
#include <ctime>

#include "stats/rec_statistics.h"

namespace pv {

// A plain-mode reading: accumulators back to their reset values (the times stay) and
// the five statistics texts empty.
void ResetStatistics(RecStatistics& stats, StatisticsBarTexts& bar);

// One reading taken in REC mode, while a range error shows or not.
void StatisticsStep(RecStatistics& stats, StatisticsBarTexts& bar, float value, bool rangeErrorShown,
                    std::time_t now);

// An ERR1 (errorNumber 1) or ERR2 (2) report during REC freezes the maximum or the
// minimum and the average until the next reset. Other numbers change nothing.
void StatisticsRangeReport(RecStatistics& stats, StatisticsBarTexts& bar, int errorNumber, std::time_t now);

// UNREC: the five texts are emptied; the accumulators stay until the next reset.
void ClearStatisticsTexts(StatisticsBarTexts& bar);

}  // namespace pv
