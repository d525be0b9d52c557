// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/logger_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "files/text_table.h"
#include "files/windows1252.h"
#include "link/units.h"

namespace pv {
namespace {

void AppendJsonString(std::string& out, std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendJsonNumber(std::string& out, float value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                               std::chars_format::general, 9);
  out.append(buffer, r.ptr);
}

std::string TextOf(const SampleText& text) {
  return Windows1252ToUtf8(std::string_view(text.data(), text.size()));
}

// A text from the file as it may reach a terminal: in UTF-8, with every control
// character (C0, DEL and C1, which a terminal would act on) shown as \xHH.
std::string Shown(std::string_view windows1252) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string utf8 = Windows1252ToUtf8(windows1252);
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto b = static_cast<unsigned char>(utf8[i]);
    const bool c1 = b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
    if (c1) b = static_cast<unsigned char>(utf8[++i]);
    if (b < 0x20 || b == 0x7F || c1) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

}  // namespace

std::string LoggerFileJson(const LoggerStore& s) {
  const int n = std::clamp(s.recordCount, 0, kStoreCapacity);
  std::string out = "{\"count\": " + std::to_string(s.recordCount);
  const std::pair<const char*, const std::string*> texts[] = {{"header", &s.header},
                                                              {"start", &s.startText},
                                                              {"end", &s.endText},
                                                              {"unit", &s.unitName}};
  for (const auto& [key, text] : texts) {
    out += ", \"";
    out += key;
    out += "\": ";
    AppendJsonString(out, *text);
  }
  const std::pair<const char*, int> numbers[] = {{"start_hour", s.startHour},
                                                 {"start_min", s.startMinute},
                                                 {"start_sec", s.startSecond},
                                                 {"interval_ms", s.intervalMs}};
  for (const auto& [key, number] : numbers) {
    out += ", \"";
    out += key;
    out += "\": " + std::to_string(number);
  }
  out += ", \"records\": [";
  out.reserve(out.size() + static_cast<std::size_t>(n) * 72);
  for (int i = 0; i < n; ++i) {
    out += i == 0 ? "\n  {\"value\": " : ",\n  {\"value\": ";
    AppendJsonNumber(out, s.values[i]);
    out += ", \"full_scale\": ";
    AppendJsonNumber(out, s.fullScaleAt[i]);
    out += ", \"text\": ";
    AppendJsonString(out, TextOf(s.texts[i]));
    out += ", \"unit\": " + std::to_string(s.unitAt[i]) + "}";
  }
  out += n > 0 ? "\n]}\n" : "]}\n";
  return out;
}

std::string LoggerFileSummary(const LoggerStore& s) {
  const LoggerFileRows rows(s);
  int errors = 0;
  bool mixedUnits = false;
  for (int i = 0; i < rows.size(); ++i) {
    if (ErrorKind(s.values[i], s.fullScaleAt[i], kErrorFullScale) != 0) ++errors;
    if (s.unitAt[i] != s.unitAt[0]) mixedUnits = true;
  }
  std::string out;
  out += "records:  " + std::to_string(s.recordCount);
  if (errors > 0) out += " (" + std::to_string(errors) + (errors == 1 ? " error record)" : " error records)");
  out += "\nstart:    " + Shown(s.startText);
  out += "\nend:      " + Shown(s.endText);
  out += "\ninterval: " + std::to_string(s.intervalMs / 1000) + " s (" +
         std::to_string(s.intervalMs) + " ms)";
  out += "\nunit:     " + Shown(s.unitName);
  if (mixedUnits) out += " (records in several units)";
  if (!s.header.empty()) out += "\nheader:   " + Shown(s.header);
  if (rows.size() > 0) {
    const SampleRow first = rows.row(0);
    out += "\nfirst:    " + first.time + "  " + Shown(DataText(first, DataStyle::TextTable)) + " " +
           Shown(UnitText(first));
    const SampleRow last = rows.row(rows.size() - 1);
    out += "\nlast:     " + last.time + "  " + Shown(DataText(last, DataStyle::TextTable)) + " " +
           Shown(UnitText(last));
  }
  out += '\n';
  return out;
}

}  // namespace pv
