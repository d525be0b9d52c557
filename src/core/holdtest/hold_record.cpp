// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a hold test's JSON: the command line's result object, and the sidecar that adds
// the test's inputs, its record, the run it belongs to and what the result was computed
// from.
#include "holdtest/hold_record.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "files/sha256.h"
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

Json TextOrNull(const std::string& text) {
  return text.empty() ? Json(nullptr) : Json(text);
}

Json ResultObject(const HoldResult& r, bool forTheSidecar) {
  // A window of only error samples has no reading: what would be measured from one is
  // null rather than a zero that reads like a pressure.
  const bool read = r.startSample >= 0;
  auto reading = [read](double value) { return read ? Clean(value) : Json(nullptr); };
  Json o;
  o["start_time"] = r.startTime;
  o["end_time"] = r.endTime;
  o["start_datetime"] = TextOrNull(r.startDateTime);
  o["end_datetime"] = TextOrNull(r.endDateTime);
  o["seconds"] = Clean(r.seconds);
  o["hold_seconds"] = r.holdSeconds;
  o["state"] = hold_json::StateName(r.state);
  o["samples"] = r.samples;
  o["errors"] = r.errors;
  o["unit"] = r.unit;
  o["start"] = reading(r.start);
  o["end"] = reading(r.end);
  o["change"] = reading(r.change);
  o["change_percent"] = Optional(r.changePercent);
  o["direction"] = DirectionName(r.direction);
  o["rate_per_minute"] = reading(r.ratePerMinute);
  o["deviation"] = reading(r.deviation);
  o["deviation_time"] = TextOrNull(r.deviationTime);
  // A percentage of no start is no amount.
  o["allowed"] = read || r.allowedKind == AllowedKind::Amount ? Clean(r.allowedAmount) : Json(nullptr);
  o["allowed_percent"] = Optional(r.allowedPercent);
  o["minimum"] = Optional(r.minimum);
  Json points = Json::array();
  for (const HoldCheckpoint& p : r.checkpoints) {
    Json point{
        {"time", p.time}, {"value", reading(p.value)}, {"change", reading(p.change)}, {"steeper", p.steeper}};
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
    o["window"] = {{"first_sample", r.firstSample},         {"last_sample", r.lastSample},
                   {"start_sample", r.startSample},         {"end_sample", r.endSample},
                   {"deviation_sample", r.deviationSample}, {"decimals", r.decimals}};
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
constexpr auto kReplace = Json::error_handler_t::replace;

std::string Dump(const Json& o) {
  return o.dump(2, ' ', false, kReplace) + "\n";
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
      {"checkpoints", c.checkpoints},
      {"hold_seconds", c.holdSeconds}};
  o["record"] = RecordObject(file.record);
  if (file.run) {
    o["run"] = {{"sha256", file.run->sha256},
                {"start_datetime", TextOrNull(file.run->startDateTime)},
                {"samples", file.run->samples}};
  }
  o["revision"] = file.revision;
  // The canonical form is the compact dump of everything above; a replaced byte is
  // hashed as the U+FFFD the file holds, so a reader of the file finds the same text.
  o[hold_json::kFingerprintKey] = Sha256Hex(o.dump(-1, ' ', false, kReplace));
  Json earlier = Json::array();
  for (const std::string& text : file.earlierRevisions) {
    Json revision = Json::parse(text, nullptr, false);
    if (revision.is_object()) earlier.push_back(std::move(revision));
  }
  o[hold_json::kRevisionsKey] = std::move(earlier);
  return Dump(o);
}

}  // namespace pv
