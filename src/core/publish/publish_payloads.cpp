// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publish_payloads.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "link/units.h"

namespace pv {
namespace {

using Json = nlohmann::ordered_json;

// The value to the unit's resolution: 3.042 psi, not 3.0419999599456787.
Json Rounded(double value, int decimals) {
  if (!std::isfinite(value)) return nullptr;
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

constexpr std::string_view kEventNames[] = {"started", "progress", "ended", "saved"};

}  // namespace

std::string ReadingPayload(const StreamReading& reading, std::string_view time) {
  Json o;
  o["time"] = time;
  if (!reading.errorWord.empty()) {
    o["error"] = reading.errorWord;
    return o.dump();
  }
  o["value"] = Rounded(reading.value, reading.decimals);
  o["unit"] = reading.unit;
  o["reading"] = reading.text;
  Json flags = Json::array();
  if (reading.hold) flags.push_back("HOLD");
  if (reading.dif) flags.push_back("DIF");
  if (reading.rec) flags.push_back("REC");
  o["flags"] = flags;
  // The reading's text comes from the meter: a garbled byte must not make the payload
  // invalid UTF-8 and the dump throw.
  return o.dump(-1, ' ', false, Json::error_handler_t::replace);
}

StreamReading SampleReading(const SampleRow& row) {
  StreamReading out;
  if (row.errorKind != 0) {
    out.errorWord = row.errorKind == 1 ? "ERR1" : "ERR2";
    return out;
  }
  out.value = row.value;
  out.decimals = IsUnitCode(row.unitCode) ? Decimals(kUnits[row.unitCode]) : 3;
  out.unit = row.unitName;
  for (const char c : row.text)
    if (c != '\0' && c != ' ') out.text += c >= 0x20 && c < 0x7F ? c : '?';
  out.dif = row.relative;
  return out;
}

std::string RunPayload(const RunEvent& event) {
  Json o;
  o["event"] = kEventNames[static_cast<int>(event.kind)];
  o["time"] = event.time;
  switch (event.kind) {
    case RunEventKind::Started:
      o["interval"] = event.intervalSeconds;
      break;
    case RunEventKind::Progress:
      o["samples"] = event.samples;
      break;
    case RunEventKind::Ended:
      o["why"] = event.why;
      o["samples"] = event.samples;
      break;
    case RunEventKind::Saved:
      o["file"] = event.file;
      o["samples"] = event.samples;
      break;
  }
  o["dropped"] = event.dropped;
  return o.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace pv
