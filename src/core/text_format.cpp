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

namespace {

void AppendByteEscape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

// A code point a reader's display would act on rather than show.
bool ActsOnDisplay(char32_t c) {
  return (c >= 0x80 && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

// The length of the well-formed UTF-8 sequence at text[i] and its code point; 0 when the
// bytes there are not one (overlong, a surrogate, past U+10FFFF, cut short).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& c) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  std::size_t n = 0;
  if (b >= 0xc2 && b <= 0xdf) {
    n = 2;
    c = b & 0x1f;
  } else if (b >= 0xe0 && b <= 0xef) {
    n = 3;
    c = b & 0x0f;
  } else if (b >= 0xf0 && b <= 0xf4) {
    n = 4;
    c = b & 0x07;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xc0) != 0x80) return 0;
    c = (c << 6) | (byte(i + k) & 0x3f);
  }
  if ((n == 3 && c < 0x800) || (n == 4 && c < 0x10000) || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return 0;
  return n;
}

}  // namespace

std::string ShownText(std::string_view text, bool keepLineBreaks) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      if (keepLineBreaks && b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
        continue;
      }
      if (keepLineBreaks && b == '\n') {
        out += '\n';
      } else if (b == '\n') {
        out += "\\n";
      } else if (b == '\r') {
        out += "\\r";
      } else if (b == '\t') {
        out += "\\t";
      } else if (b < 0x20 || b == 0x7f) {
        AppendByteEscape(out, b);
      } else {
        out += static_cast<char>(b);
      }
      ++i;
      continue;
    }
    char32_t c = 0;
    const std::size_t n = DecodeUtf8(text, i, c);
    if (n == 0) {
      AppendByteEscape(out, b);
      ++i;
    } else if (ActsOnDisplay(c)) {
      out += Format("\\u%04x", static_cast<unsigned>(c));
      i += n;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string FormatLocalTime(std::time_t t, const char* fmt) {
  std::tm local{};
  if (!localtime_r(&t, &local)) return {};
  char buffer[128];
  std::size_t n = std::strftime(buffer, sizeof buffer, fmt, &local);
  return std::string(buffer, n);
}

std::optional<int> ParseClockTime(std::string_view text) {
  int parts[3] = {};
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int k = 0; k < 3; ++k) {
    const char* start = p;
    const auto [next, ec] = std::from_chars(p, end, parts[k]);
    const auto digits = next - start;
    if (ec != std::errc() || digits < (k == 0 ? 1 : 2) || digits > 2) return std::nullopt;
    p = next;
    if (k < 2 && (p == end || *p++ != ':')) return std::nullopt;
  }
  if (p != end || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

}  // namespace pv
