#pragma once
// Number and time texts shared by the panel, the chart, the logger graph, the files
// and the printed page.
#include <ctime>
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

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// strftime in local time.
std::string FormatLocalTime(std::time_t t, const char* fmt);

// The first n characters of text (all of it when shorter), like "%.*s".
inline std::string_view Prefix(std::string_view text, std::size_t n) { return text.substr(0, n); }

}  // namespace pv
