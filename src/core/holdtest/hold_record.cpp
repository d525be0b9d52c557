// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a hold test's JSON: the command line's result object, and the sidecar that adds
// the test's inputs, its record and what the result was computed from.
#include "holdtest/hold_record.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "holdtest/hold_json_keys.h"

namespace pv {
namespace {

using Json = nlohmann::ordered_json;

// A difference of two readings carries the binary noise of its floats (-0.0040000000000000036);
// nine decimals keep every digit a reading or a unit conversion means and drop the noise.
// Whole numbers are written as such: 120 seconds, not 120.0. From a million up, nine
// decimals are more digits than a double holds, and rounding there would move the value
// again each time the file is read and written; such values are written as they are.
Json Clean(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e15) return value;
  const double cleaned = std::fabs(value) < 1e6 ? std::round(value * 1e9) / 1e9 : value;
  if (cleaned == std::trunc(cleaned)) return static_cast<std::int64_t>(cleaned);
  return cleaned;
}

Json Optional(const std::optional<double>& value) {
  return value ? Json(Clean(*value)) : Json(nullptr);
}

Json ResultObject(const HoldResult& r, bool forTheSidecar) {
  Json o;
  o["start_time"] = r.startTime;
  o["end_time"] = r.endTime;
  o["seconds"] = Clean(r.seconds);
  o["samples"] = r.samples;
  o["errors"] = r.errors;
  o["unit"] = r.unit;
  o["start"] = Clean(r.start);
  o["end"] = Clean(r.end);
  o["change"] = Clean(r.change);
  o["change_percent"] = Optional(r.changePercent);
  o["direction"] = DirectionName(r.direction);
  o["rate_per_minute"] = Clean(r.ratePerMinute);
  o["allowed"] = Clean(r.allowedAmount);
  o["allowed_percent"] = Optional(r.allowedPercent);
  o["minimum"] = Optional(r.minimum);
  Json points = Json::array();
  for (const HoldCheckpoint& p : r.checkpoints) {
    Json point{
        {"time", p.time}, {"value", Clean(p.value)}, {"change", Clean(p.change)}, {"steeper", p.steeper}};
    if (forTheSidecar) {
      point["sample"] = p.sample;
      point["seconds"] = Clean(p.seconds);
    }
    points.push_back(std::move(point));
  }
  o["checkpoints"] = std::move(points);
  o["result"] = r.passed ? hold_json::kPassed : hold_json::kNotPassed;
  o["reasons"] = r.reasons;
  if (forTheSidecar) {
    o["window"] = {{"first_sample", r.firstSample},
                   {"last_sample", r.lastSample},
                   {"start_sample", r.startSample},
                   {"end_sample", r.endSample},
                   {"decimals", r.decimals}};
  }
  return o;
}

Json RecordObject(const HoldRecord& record) {
  Json o = Json::object();
  for (const auto& k : kHoldRecordFields) o[std::string(k.key)] = record.*k.field;
  return o;
}

// Texts typed by a person may carry bytes that are no UTF-8; they are written replaced,
// never refused, so that saving a test cannot fail over a note.
std::string Dump(const Json& o) {
  return o.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string HoldResultJson(const HoldResult& result, const HoldRecord* record) {
  Json o = ResultObject(result, false);
  if (record) o["record"] = RecordObject(*record);
  return Dump(o);
}

std::string HoldTestJson(const HoldTestFile& file) {
  Json o = ResultObject(file.result, true);
  const HoldCriteria& c = file.criteria;
  o["criteria"] = {
      {"first_sample", c.firstSample},
      {"last_sample", c.lastSample},
      {"allowed_kind", c.allowedKind == AllowedKind::Percent ? hold_json::kPercent : hold_json::kAmount},
      {"allowed", Clean(c.allowed)},
      {"minimum", Optional(c.minimum)},
      {"checkpoints", c.checkpoints}};
  o["record"] = RecordObject(file.record);
  return Dump(o);
}

}  // namespace pv
