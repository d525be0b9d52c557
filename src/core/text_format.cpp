// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_format.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace pv {

std::string FormatSigned6(float value) {
  std::string out;
  out += value < 0 ? '-' : (value == 0 ? ' ' : '+');
  double magnitude = std::fabs(static_cast<double>(value));
  if (!std::isfinite(magnitude)) {
    out += std::isnan(magnitude) ? "nan" : "inf";
    return out;
  }
  double whole = std::floor(magnitude);
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.0f", whole);
  out += digits;
  out += '.';
  double fraction = magnitude - whole;
  for (int i = 0; i < 3; ++i) {
    fraction *= 10.0;
    int d = static_cast<int>(fraction);
    out += static_cast<char>('0' + d);
    fraction -= d;
  }
  return out;
}

std::string FormatSigned6Cut(float value) { return FormatSigned6(value).substr(0, 6); }

double ParseLeadingNumber(std::string_view text) {
  std::size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // One sign only: "+-1.23" has no number after its sign. from_chars would take the
  // second minus as the number's own and never depends on the locale.
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0.0;
  double value = 0.0;
  auto result = std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    // Like strtod: huge magnitudes saturate, tiny ones underflow to zero.
    value = HUGE_VAL;
    std::string_view rest = text.substr(i);
    auto e = rest.find_first_of("eE");
    if (e != std::string_view::npos && e + 1 < rest.size() && rest[e + 1] == '-') value = 0.0;
  }
  return negative ? -value : value;
}

std::string Format(const char* fmt, ...) {
  char buffer[512];
  va_list args;
  va_start(args, fmt);
  int n = std::vsnprintf(buffer, sizeof buffer, fmt, args);
  va_end(args);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, fmt);
  std::vsnprintf(big.data(), big.size(), fmt, args);
  va_end(args);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

std::string FormatLocalTime(std::time_t t, const char* fmt) {
  std::tm local{};
  if (!localtime_r(&t, &local)) return {};
  char buffer[128];
  std::size_t n = std::strftime(buffer, sizeof buffer, fmt, &local);
  return std::string(buffer, n);
}

}  // namespace pv
