// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a hold test's numbers read: amounts with the start reading's decimals, percentages
// with two, whatever the locale. The window, the record page and the command line share
// these texts so that a result reads the same everywhere.
#include <string>
#include <vector>

#include "holdtest/hold_test.h"

namespace pv {

// A fixed-point text with a '.' and no "-0".
std::string FormatFixed(double value, int decimals);

// The decimals an amount needs: at least `decimals`, more (up to six) when the amount
// has finer digits, so that an allowed 0.0005 does not read as 0.001.
int AmountDecimals(double value, int decimals);

// "0.012 bar": the amount with AmountDecimals and the unit.
std::string FormatAmount(double value, int decimals, const std::string& unit);

// "0.62 %".
std::string FormatPercent(double percent);

// The labelled lines of a result as the command line prints them, from "Window:" to
// "Result: PASSED" or "Result: NOT PASSED" and its reasons.
std::vector<std::string> HoldReportLines(const HoldResult& result);

}  // namespace pv
