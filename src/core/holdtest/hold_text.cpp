// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace pv {
namespace {

constexpr int kMostAmountDecimals = 6;

std::string WithUnit(std::string number, const std::string& unit) {
  return unit.empty() ? number : number + " " + unit;
}

std::string Counted(int n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

bool HasNonZeroDigit(const std::string& text) {
  return text.find_first_of("123456789") != std::string::npos;
}

// Whole seconds of a length read from a file, which may hold any number.
int WholeSeconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  return seconds >= 2e9 ? 2000000000 : static_cast<int>(std::floor(seconds));
}

bool NoReading(const HoldResult& r) {
  return r.startSample < 0;
}

std::string CheckpointLine(const HoldResult& r, std::size_t k) {
  const HoldCheckpoint& p = r.checkpoints[k];
  std::string line = "Checkpoint " + std::to_string(k + 1) + ": " + p.time + ", ";
  if (NoReading(r)) return line + "-";
  line += HoldReadingText(r, p.value) + ", change " + HoldSignedAmountText(r, p.change);
  if (p.sample < 0) line += ", no reading yet";
  if (p.steeper) line += ", steeper";
  return line;
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, kMostHoldDecimals);
  if (!std::isfinite(value)) return "-";
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "-";
  std::string text(buffer, end);
  // A tiny negative amount rounds to "-0.000": it is no change at all.
  if (text.front() == '-' && !HasNonZeroDigit(text)) text.erase(0, 1);
  return text;
}

std::string SignedFixed(double value, int decimals) {
  const std::string text = FormatFixed(value, decimals);
  if (text == "-" || text.front() == '-' || !HasNonZeroDigit(text)) return text;
  return "+" + text;
}

int AmountDecimals(double value, int decimals) {
  int d = std::clamp(decimals, 0, kMostAmountDecimals);
  if (!std::isfinite(value) || std::fabs(value) > 1e12) return d;
  while (d < kMostAmountDecimals &&
         std::fabs(std::round(value * std::pow(10.0, d)) / std::pow(10.0, d) - value) > 1e-9)
    ++d;
  return d;
}

int NonZeroDecimals(double value, int decimals) {
  int d = std::clamp(decimals, 0, kMostHoldDecimals);
  if (!std::isfinite(value) || value == 0.0) return d;
  while (d < kMostHoldDecimals && !HasNonZeroDigit(FormatFixed(value, d))) ++d;
  return d;
}

int ComparedDecimals(double value, double limit, int decimals) {
  int d = std::clamp(decimals, 0, kMostHoldDecimals);
  if (!std::isfinite(value) || !std::isfinite(limit)) return d;
  // The test's own tolerance: values this close compare as equal and may read so.
  if (std::fabs(value - limit) <= 1e-9 * std::max(1.0, std::fabs(limit))) return d;
  while (d < kMostHoldDecimals && FormatFixed(value, d) == FormatFixed(limit, d)) ++d;
  return d;
}

std::string FormatAmount(double value, int decimals, const std::string& unit) {
  return WithUnit(FormatFixed(value, AmountDecimals(value, decimals)), unit);
}

std::string FormatPercent(double percent, int decimals) {
  return FormatFixed(percent, decimals) + " %";
}

std::string FormatDuration(int seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

HoldDecimals HoldDecimalsOf(const HoldResult& r) {
  HoldDecimals d;
  d.reading = std::clamp(r.decimals, 0, kMostHoldDecimals);
  // A criterion keeps the digits it was given; the measured values then take as many as
  // it takes to tell them from it.
  const int amount =
      r.allowedKind == AllowedKind::Amount ? AmountDecimals(r.allowedAmount, d.reading) : d.reading;
  d.amount = std::max(ComparedDecimals(std::fabs(r.change), r.allowedAmount, amount),
                      ComparedDecimals(std::fabs(r.deviation), r.allowedAmount, amount));
  d.amount = std::max({d.amount, NonZeroDecimals(r.change, d.amount), NonZeroDecimals(r.deviation, d.amount)});
  int percent = 2;
  if (r.allowedKind == AllowedKind::Percent && r.allowedPercent) percent = AmountDecimals(*r.allowedPercent, 2);
  if (r.changePercent && r.allowedPercent)
    percent = ComparedDecimals(std::fabs(*r.changePercent), *r.allowedPercent, percent);
  if (r.changePercent) percent = NonZeroDecimals(*r.changePercent, percent);
  d.percent = percent;
  d.rate = NonZeroDecimals(r.ratePerMinute, d.reading + 1);
  return d;
}

std::string HoldReadingText(const HoldResult& r, double value) {
  return WithUnit(FormatFixed(value, r.decimals), r.unit);
}

std::string HoldSignedAmountText(const HoldResult& r, double value) {
  return WithUnit(SignedFixed(value, NonZeroDecimals(value, HoldDecimalsOf(r).amount)), r.unit);
}

std::string HoldStateText(const HoldResult& r) {
  const std::string span = FormatDuration(WholeSeconds(r.seconds)) + " of " +
                           FormatDuration(r.holdSeconds);
  switch (r.state) {
    case HoldState::EndedEarly:
      return "ended early at " + span;
    case HoldState::Going:
      return "going, " + span;
    case HoldState::Complete:
      break;
  }
  return "complete";
}

std::string HoldVerdictWord(const HoldResult& r) {
  return r.passed ? "PASSED" : "NOT PASSED";
}

HoldTexts HoldTextsOf(const HoldResult& r) {
  const HoldDecimals d = HoldDecimalsOf(r);
  const bool none = NoReading(r);
  HoldTexts t;
  t.start = none ? "-" : HoldReadingText(r, r.start);
  t.end = none ? "-" : HoldReadingText(r, r.end);
  t.change = none ? "-" : WithUnit(SignedFixed(r.change, d.amount), r.unit);
  if (r.changePercent && !none) t.changePercent = SignedFixed(*r.changePercent, d.percent) + " %";
  t.rate = none ? "-" : SignedFixed(r.ratePerMinute, d.rate) + (r.unit.empty() ? "" : " " + r.unit) + "/min";
  if (r.allowedKind == AllowedKind::Percent && r.allowedPercent) {
    t.allowed = FormatPercent(*r.allowedPercent, d.percent) + " of the start";
    if (!none) t.allowed += " (" + WithUnit(FormatFixed(r.allowedAmount, d.amount), r.unit) + ")";
  } else {
    t.allowed = WithUnit(FormatFixed(r.allowedAmount, d.amount), r.unit);
    if (r.allowedPercent && !none) t.allowed += " (" + FormatPercent(*r.allowedPercent, d.percent) + ")";
  }
  t.minimum = r.minimum ? FormatAmount(*r.minimum, r.decimals, r.unit) : std::string("none");
  t.deviation = r.deviationSample < 0
                    ? std::string("-")
                    : WithUnit(SignedFixed(r.deviation, d.amount), r.unit) + " at " + r.deviationTime;
  t.state = HoldStateText(r);
  t.verdict = HoldVerdictWord(r);
  return t;
}

std::vector<std::string> HoldReportLines(const HoldResult& r) {
  const HoldTexts t = HoldTextsOf(r);
  std::vector<std::string> lines;
  lines.push_back("Window: " + r.startTime + " to " + r.endTime + ", " + FormatFixed(r.seconds, 0) + " s, " +
                  Counted(r.samples, "sample") + ", " + Counted(r.errors, "error"));
  if (!r.startDateTime.empty()) lines.push_back("Date: " + r.startDateTime + " to " + r.endDateTime);
  lines.push_back("State: " + t.state);
  lines.push_back("Start: " + t.start);
  lines.push_back("End: " + t.end);
  lines.push_back("Change: " + t.change + (t.changePercent.empty() ? "" : " (" + t.changePercent + ")") +
                  (NoReading(r) ? "" : std::string(", ") + DirectionName(r.direction)));
  lines.push_back("Largest deviation: " + t.deviation);
  lines.push_back("Rate: " + t.rate);
  lines.push_back("Allowed: " + t.allowed);
  lines.push_back("Minimum: " + t.minimum);
  for (std::size_t k = 0; k < r.checkpoints.size(); ++k) lines.push_back(CheckpointLine(r, k));
  lines.push_back("Result: " + t.verdict);
  for (const std::string& reason : r.reasons) lines.push_back("  " + reason);
  return lines;
}

}  // namespace pv
