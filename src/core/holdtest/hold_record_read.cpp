// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a hold test's JSON back. The text comes from a file beside a run or one the user
// names, so anything may be in it: every value is checked for its kind and range, and the
// first thing wrong is said in one sentence instead of being guessed around.
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "holdtest/hold_json_keys.h"
#include "holdtest/hold_record.h"

namespace pv {
namespace {

using Json = nlohmann::json;

struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const Json* Member(const Json& o, const char* key, bool required) {
  const auto it = o.find(key);
  if (it == o.end()) {
    if (required) throw Malformed(std::string("\"") + key + "\" is missing");
    return nullptr;
  }
  return &*it;
}

double Number(const Json& o, const char* key) {
  const Json* j = Member(o, key, true);
  if (!j->is_number()) throw Malformed(std::string("\"") + key + "\" is no number");
  const double value = j->get<double>();
  if (!std::isfinite(value)) throw Malformed(std::string("\"") + key + "\" is out of range");
  return value;
}

std::optional<double> NumberOrNull(const Json& o, const char* key) {
  const Json* j = Member(o, key, false);
  if (!j || j->is_null()) return std::nullopt;
  return Number(o, key);
}

int Integer(const Json& o, const char* key, int lowest, int highest) {
  const double value = Number(o, key);
  if (!Member(o, key, true)->is_number_integer() || value < lowest || value > highest)
    throw Malformed(std::string("\"") + key + "\" must be a whole number from " + std::to_string(lowest) +
                    " to " + std::to_string(highest));
  return static_cast<int>(value);
}

std::string Text(const Json& o, const char* key, bool required) {
  const Json* j = Member(o, key, required);
  if (!j || j->is_null()) return {};
  if (!j->is_string()) throw Malformed(std::string("\"") + key + "\" is no text");
  return j->get<std::string>();
}

bool Flag(const Json& o, const char* key) {
  const Json* j = Member(o, key, true);
  if (!j->is_boolean()) throw Malformed(std::string("\"") + key + "\" is neither true nor false");
  return j->get<bool>();
}

const Json& ObjectAt(const Json& o, const char* key) {
  const Json* j = Member(o, key, true);
  if (!j->is_object()) throw Malformed(std::string("\"") + key + "\" is no object");
  return *j;
}

template <class T>
T OneOf(const Json& o, const char* key, std::initializer_list<std::pair<std::string_view, T>> choices) {
  const std::string text = Text(o, key, true);
  for (const auto& [name, value] : choices)
    if (text == name) return value;
  throw Malformed(std::string("\"") + key + "\" has an unknown value");
}

HoldRecord RecordFrom(const Json& o) {
  HoldRecord record;
  for (const auto& k : kHoldRecordFields) record.*k.field = Text(o, std::string(k.key).c_str(), false);
  return record;
}

constexpr int kMostSamples = std::numeric_limits<int>::max();

HoldCriteria CriteriaFrom(const Json& o) {
  HoldCriteria c;
  c.firstSample = Integer(o, "first_sample", 0, kMostSamples);
  c.lastSample = Integer(o, "last_sample", -1, kMostSamples);
  c.allowedKind = OneOf<AllowedKind>(
      o, "allowed_kind",
      {{hold_json::kPercent, AllowedKind::Percent}, {hold_json::kAmount, AllowedKind::Amount}});
  c.allowed = Number(o, "allowed");
  if (c.allowed < 0.0) throw Malformed("\"allowed\" is below 0");
  c.minimum = NumberOrNull(o, "minimum");
  c.checkpoints = Integer(o, "checkpoints", kMinCheckpoints, kMaxCheckpoints);
  return c;
}

std::vector<HoldCheckpoint> CheckpointsFrom(const Json& o) {
  const Json* list = Member(o, "checkpoints", true);
  if (!list->is_array() || list->size() > static_cast<std::size_t>(kMaxCheckpoints))
    throw Malformed("\"checkpoints\" is no list of at most 8");
  std::vector<HoldCheckpoint> points;
  for (const Json& j : *list) {
    if (!j.is_object()) throw Malformed("a checkpoint is no object");
    HoldCheckpoint p;
    p.time = Text(j, "time", true);
    p.value = Number(j, "value");
    p.change = Number(j, "change");
    p.steeper = Flag(j, "steeper");
    if (Member(j, "sample", false)) p.sample = Integer(j, "sample", -1, kMostSamples);
    if (Member(j, "seconds", false)) p.seconds = Number(j, "seconds");
    points.push_back(std::move(p));
  }
  return points;
}

std::vector<std::string> ReasonsFrom(const Json& o) {
  const Json* list = Member(o, "reasons", true);
  if (!list->is_array()) throw Malformed("\"reasons\" is no list");
  std::vector<std::string> reasons;
  for (const Json& j : *list) {
    if (!j.is_string()) throw Malformed("a reason is no text");
    reasons.push_back(j.get<std::string>());
  }
  return reasons;
}

HoldResult ResultFrom(const Json& o, AllowedKind kind) {
  HoldResult r;
  r.startTime = Text(o, "start_time", true);
  r.endTime = Text(o, "end_time", true);
  r.seconds = Number(o, "seconds");
  r.samples = Integer(o, "samples", 0, kMostSamples);
  r.errors = Integer(o, "errors", 0, kMostSamples);
  r.unit = Text(o, "unit", true);
  r.start = Number(o, "start");
  r.end = Number(o, "end");
  r.change = Number(o, "change");
  r.changePercent = NumberOrNull(o, "change_percent");
  r.direction = OneOf<HoldDirection>(o, "direction",
                                     {{"falling", HoldDirection::Falling},
                                      {"rising", HoldDirection::Rising},
                                      {"stable", HoldDirection::Stable}});
  r.ratePerMinute = Number(o, "rate_per_minute");
  r.allowedKind = kind;
  r.allowedAmount = Number(o, "allowed");
  r.allowedPercent = NumberOrNull(o, "allowed_percent");
  r.minimum = NumberOrNull(o, "minimum");
  r.checkpoints = CheckpointsFrom(o);
  r.passed = OneOf<bool>(o, "result", {{hold_json::kPassed, true}, {hold_json::kNotPassed, false}});
  r.reasons = ReasonsFrom(o);
  if (const Json* w = Member(o, "window", false); w && w->is_object()) {
    r.firstSample = Integer(*w, "first_sample", 0, kMostSamples);
    r.lastSample = Integer(*w, "last_sample", 0, kMostSamples);
    r.startSample = Integer(*w, "start_sample", 0, kMostSamples);
    r.endSample = Integer(*w, "end_sample", 0, kMostSamples);
    r.decimals = Integer(*w, "decimals", 0, 6);
  }
  r.count = std::pow(10.0, -r.decimals);
  return r;
}

// Parses an object, or says why the text is none.
std::optional<Json> ParseObject(std::string_view text, std::string* error) {
  Json doc = Json::parse(text.begin(), text.end(), nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) {
    if (error) *error = doc.is_discarded() ? "the text is no JSON" : "the text is no JSON object";
    return std::nullopt;
  }
  return doc;
}

}  // namespace

std::optional<HoldTestFile> ParseHoldTestJson(std::string_view text, std::string* error) {
  const std::optional<Json> doc = ParseObject(text, error);
  if (!doc) return std::nullopt;
  try {
    HoldTestFile file;
    file.criteria = CriteriaFrom(ObjectAt(*doc, "criteria"));
    if (const Json* record = Member(*doc, "record", false); record && !record->is_null())
      file.record = RecordFrom(ObjectAt(*doc, "record"));
    file.result = ResultFrom(*doc, file.criteria.allowedKind);
    return file;
  } catch (const std::exception& e) {  // Malformed, and the library's own for anything it refuses
    if (error) *error = e.what();
    return std::nullopt;
  }
}

std::optional<HoldRecord> ParseHoldRecordJson(std::string_view text, std::string* error,
                                              std::vector<std::string>* /*unknownKeys*/) {
  const std::optional<Json> doc = ParseObject(text, error);
  if (!doc) return std::nullopt;
  try {
    return RecordFrom(*doc);
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return std::nullopt;
  }
}

}  // namespace pv
