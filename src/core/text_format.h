// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Number and time texts shared by the panel, the chart, the logger graph, the files
// and the printed page.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

// Sign ('-' negative, ' ' zero, '+' otherwise), the integer digits, '.', and three
// decimals taken by truncation. Callers usually keep only the first six characters.
std::string FormatSigned6(float value);

// FormatSigned6 cut to six characters, as the chart's print labels use it.
std::string FormatSigned6Cut(float value);

// Decimal number at the start of text with C's leading-prefix semantics: leading
// white space, an optional sign, then as much of a number as can be read; a text
// without a leading number gives 0. Independent of the process locale.
double ParseLeadingNumber(std::string_view text);

// Seconds since midnight of a clock time typed as "H:MM:SS" or "HH:MM:SS" (00:00:00 to
// 23:59:59); none for any other text.
std::optional<int> ParseClockTime(std::string_view text);

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// strftime in local time.
std::string FormatLocalTime(std::time_t t, const char* fmt);

// A text typed by someone else (a record's field, a file's header) as it may be shown on
// a terminal, a page or a sheet without acting on it: C0 controls, DEL and invalid UTF-8
// bytes read "\xHH" ('\t', '\r', '\n' read "\t", "\r", "\n"); C1 controls, the
// bidirectional controls (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069)
// and the line and paragraph separators read "\u202e". With keepLineBreaks a "\n" or
// "\r\n" stays one line break "\n". Nothing is cut; every other character is kept.
std::string ShownText(std::string_view utf8, bool keepLineBreaks = false);

// The first n characters of text (all of it when shorter), like "%.*s".
inline std::string_view Prefix(std::string_view text, std::size_t n) { return text.substr(0, n); }

// text without its leading and trailing blanks.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// One CSV field (RFC 4180): quoted, with its quotes doubled, only when it holds a comma,
// a quote or a line break.
inline std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace pv
