// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/stream_line.h"

#include <cmath>
#include <ctime>
#include <variant>

#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text) out += c >= 0x20 && c < 0x7F ? c : '?';
  return out;
}

// A JSON string of the reading's texts, made printable first, so that what a caller
// passes can never make the JSON invalid.
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : Printable(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string FlagWords(const StreamReading& r, const char* separator) {
  std::string out;
  auto add = [&](bool on, const char* word) {
    if (!on) return;
    if (!out.empty()) out += separator;
    out += word;
  };
  add(r.hold, "HOLD");
  add(r.dif, "DIF");
  add(r.rec, "REC");
  return out;
}

std::string Value(const StreamReading& r) {
  return Format("%.*f", r.decimals, r.value);
}

std::string CsvLine(const StreamReading& r, std::string_view time) {
  std::string line(time);
  if (!r.errorWord.empty()) return line + ",,,,," + CsvField(r.errorWord) + "\n";
  return line + "," + Value(r) + "," + CsvField(r.unit) + "," + CsvField(r.text) + "," + FlagWords(r, " ") + ",\n";
}

}  // namespace

std::string ReadingJson(const StreamReading& r, std::string_view time) {
  std::string line = "{\"time\":" + JsonString(time);
  if (!r.errorWord.empty()) return line + ",\"error\":" + JsonString(r.errorWord) + "}";
  const std::string flags = FlagWords(r, "\",\"");
  const std::string value = std::isfinite(r.value) ? Value(r) : "null";
  return line + ",\"value\":" + value + ",\"unit\":" + JsonString(r.unit) + ",\"reading\":" +
         JsonString(r.text) + ",\"flags\":[" + (flags.empty() ? "" : "\"" + flags + "\"") + "]}";
}

std::optional<StreamReading> StreamReadingOf(const AppModel& model, const Decoded& frame) {
  StreamReading out;
  if (const auto* e = std::get_if<MeterError>(&frame)) {
    out.errorWord = e->number() != 0 ? "ERR" + std::to_string(e->number()) : "ERR?";
    return out;
  }
  const auto* r = std::get_if<Reading>(&frame);
  if (!r) return std::nullopt;
  const int i = model.store.sampleCount;
  if (i < 0 || i >= kStoreCapacity || !IsUnitCode(model.run.unit)) return std::nullopt;
  const UnitInfo& unit = kUnits[model.run.unit];
  out.value = model.store.values[i];
  out.decimals = Decimals(unit);
  out.unit = unit.name;
  out.text = Printable(TrimBlanks(model.panel.reading));
  out.hold = (r->status & kStatusHold) != 0;
  out.dif = (r->status & kStatusRelative) != 0;
  out.rec = r->recording();
  return out;
}

std::string StreamHeader(StreamFormat format) {
  return format == StreamFormat::Csv ? "time,value,unit,reading,flags,error\n" : "";
}

std::string StreamLine(StreamFormat format, const StreamReading& reading, std::string_view time) {
  return format == StreamFormat::Csv ? CsvLine(reading, time) : ReadingJson(reading, time) + "\n";
}

std::string IsoLocalTime(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
  const int milli = static_cast<int>(((ms % 1000) + 1000) % 1000);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
  const long offset = tm.tm_gmtoff / 60;
  const long absOffset = offset < 0 ? -offset : offset;
  return Format("%s.%03d%c%02ld:%02ld", text, milli, offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
}

}  // namespace pv
