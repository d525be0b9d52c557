// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a hold test's numbers read, everywhere: the result card, the command line, the
// record page, the workbook sheet and the reasons all take their texts (or, for a
// spreadsheet's number formats, their decimals) from here, so that a result reads the
// same wherever it is shown. Every text uses '.' whatever the locale.
//
// The rules:
// - readings (start, end, checkpoint values) keep the start reading's decimals;
// - changes, rates and deviations always carry their sign ("+0.012", "-0.0040"); zero
//   has none;
// - a non-zero change, rate or percentage never reads as zero: decimals are added until
//   its first significant digit shows;
// - a value compared with its limit (the change and the allowed change, a percentage and
//   the allowed percentage) is shown with the same decimals, added until the two texts
//   differ whenever the values do, so an exceeded limit never reads as equal to it;
// - a criterion keeps the digits it was given with (an allowed 0.0005 bar, 0.125 %).
#include <string>
#include <vector>

#include "holdtest/hold_test.h"

namespace pv {

// The most decimals any hold test text is given.
inline constexpr int kMostHoldDecimals = 9;

// A fixed-point text with a '.' and no "-0"; "-" for a value that is no number.
std::string FormatFixed(double value, int decimals);

// FormatFixed with the sign always shown ("+0.012", "-1.250"), except on a zero text.
std::string SignedFixed(double value, int decimals);

// The decimals an amount needs: at least `decimals`, more (up to six) when the amount
// has finer digits, so that an allowed 0.0005 does not read as 0.001.
int AmountDecimals(double value, int decimals);

// At least `decimals`, more until a non-zero value's text is not zero.
int NonZeroDecimals(double value, int decimals);

// At least `decimals`, more until the texts of value and limit differ when the values
// differ (as the test compares them: a difference below a billionth is none).
int ComparedDecimals(double value, double limit, int decimals);

// "0.012 bar": the amount with AmountDecimals and the unit.
std::string FormatAmount(double value, int decimals, const std::string& unit);

// "0.62 %": two decimals, or `decimals`.
std::string FormatPercent(double percent, int decimals = 2);

// "HH:MM:SS" of a duration (hours past 99 keep their digits; below 0 reads 00:00:00).
std::string FormatDuration(int seconds);

// The decimals a result's texts use, for outputs that format numbers themselves (a
// spreadsheet's number formats).
struct HoldDecimals {
  int reading = 0;  // start, end, checkpoint values: the start reading's
  int amount = 0;   // change, allowed amount, deviation (ComparedDecimals with the limit)
  int percent = 2;  // change % and allowed % (ComparedDecimals with the allowed %)
  int rate = 1;     // the rate per minute: one more than the readings, more until non-zero
};
HoldDecimals HoldDecimalsOf(const HoldResult& result);

// Every number of a result as text, with its unit. A value the window has no reading
// for (no valid sample: startSample -1) reads "-".
struct HoldTexts {
  std::string start, end;     // "1.250 bar"
  std::string change;         // "-0.014 bar"
  std::string changePercent;  // "-1.12 %"; empty when there is none (start 0 or below)
  std::string rate;           // "-0.0070 bar/min"
  std::string allowed;        // "0.50 % of the start (0.006 bar)" or "0.020 bar (1.60 %)"
  std::string minimum;        // "99.0 psi" or "none"
  std::string deviation;      // "-0.009 bar at 10:02:30" (the largest from the start) or "-"
  std::string state;          // HoldStateText
  std::string verdict;        // "PASSED" or "NOT PASSED"
};
HoldTexts HoldTextsOf(const HoldResult& result);

// A reading of the result with its decimals and unit: "1.248 bar".
std::string HoldReadingText(const HoldResult& result, double value);

// A signed amount of the result (a checkpoint's change) with its unit: "-0.002 bar".
std::string HoldSignedAmountText(const HoldResult& result, double value);

// "complete", "ended early at 00:00:07 of 00:10:00", "going, 00:00:07 of 00:10:00".
std::string HoldStateText(const HoldResult& result);

// "PASSED" or "NOT PASSED".
std::string HoldVerdictWord(const HoldResult& result);

// The labelled lines of a result as the command line prints them, from "Window:" to
// "Result: PASSED" or "Result: NOT PASSED" and its reasons.
std::vector<std::string> HoldReportLines(const HoldResult& result);

}  // namespace pv
