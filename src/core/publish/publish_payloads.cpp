// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publish_payloads.h"

#include <nlohmann/json.hpp>

#include "link/units.h"

namespace pv {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kEventNames[] = {"started", "progress", "ended", "saved"};

}  // namespace

// The same object as a JSON Lines line of `monitor`, built by hand: this runs for every
// frame the meter sends.
std::string ReadingPayload(const StreamReading& reading, std::string_view time) {
  return ReadingJson(reading, time);
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
