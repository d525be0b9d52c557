// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pv {
namespace {

constexpr int kMostDecimals = 6;

std::string WithUnit(std::string number, const std::string& unit) {
  return unit.empty() ? number : number + " " + unit;
}

std::string CheckpointLine(const HoldResult& r, std::size_t k) {
  const HoldCheckpoint& p = r.checkpoints[k];
  std::string line = "Checkpoint " + std::to_string(k + 1) + ": " + p.time + ", " +
                     WithUnit(FormatFixed(p.value, r.decimals), r.unit) + ", change " +
                     FormatFixed(p.change, r.decimals);
  if (p.sample < 0) line += ", no reading yet";
  if (p.steeper) line += ", steeper";
  return line;
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, kMostDecimals);
  if (!std::isfinite(value)) return "-";
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "-";
  std::string text(buffer, end);
  // A tiny negative amount rounds to "-0.000": it is no change at all.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

int AmountDecimals(double value, int decimals) {
  int d = std::clamp(decimals, 0, kMostDecimals);
  if (!std::isfinite(value) || std::fabs(value) > 1e12) return d;
  while (d < kMostDecimals &&
         std::fabs(std::round(value * std::pow(10.0, d)) / std::pow(10.0, d) - value) > 1e-9)
    ++d;
  return d;
}

std::string FormatAmount(double value, int decimals, const std::string& unit) {
  return WithUnit(FormatFixed(value, AmountDecimals(value, decimals)), unit);
}

std::string FormatPercent(double percent) {
  return FormatFixed(percent, 2) + " %";
}

std::vector<std::string> HoldReportLines(const HoldResult& r) {
  std::vector<std::string> lines;
  lines.push_back("Window: " + r.startTime + " to " + r.endTime + ", " + FormatFixed(r.seconds, 0) + " s, " +
                  std::to_string(r.samples) + " samples, " + std::to_string(r.errors) + " errors");
  lines.push_back("Start: " + WithUnit(FormatFixed(r.start, r.decimals), r.unit));
  lines.push_back("End: " + WithUnit(FormatFixed(r.end, r.decimals), r.unit));
  lines.push_back("Change: " + WithUnit(FormatFixed(r.change, r.decimals), r.unit) +
                  (r.changePercent ? " (" + FormatPercent(*r.changePercent) + ")" : std::string()) + ", " +
                  DirectionName(r.direction));
  // A rate is a small number: one more decimal than the readings keeps a slow leak visible.
  lines.push_back("Rate: " + FormatFixed(r.ratePerMinute, r.decimals + 1) +
                  (r.unit.empty() ? "" : " " + r.unit) + "/min");
  if (r.allowedKind == AllowedKind::Percent && r.allowedPercent) {
    lines.push_back("Allowed: " + FormatPercent(*r.allowedPercent) + " of the start (" +
                    WithUnit(FormatFixed(r.allowedAmount, r.decimals), r.unit) + ")");
  } else {
    lines.push_back("Allowed: " + FormatAmount(r.allowedAmount, r.decimals, r.unit) +
                    (r.allowedPercent ? " (" + FormatPercent(*r.allowedPercent) + ")" : std::string()));
  }
  lines.push_back("Minimum: " +
                  (r.minimum ? FormatAmount(*r.minimum, r.decimals, r.unit) : std::string("none")));
  for (std::size_t k = 0; k < r.checkpoints.size(); ++k) lines.push_back(CheckpointLine(r, k));
  lines.push_back(r.passed ? "Result: PASSED" : "Result: NOT PASSED");
  for (const std::string& reason : r.reasons) lines.push_back("  " + reason);
  return lines;
}

}  // namespace pv
