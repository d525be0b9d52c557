// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a hold test's JSON back. The text comes from a file beside a run or one the user
// names, so anything may be in it: every value is checked for its kind and range, and the
// first thing wrong is said in one sentence instead of being guessed around.
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "files/sha256.h"
#include "holdtest/hold_json_keys.h"
#include "holdtest/hold_record.h"
#include "holdtest/hold_sidecar.h"

namespace pv {
namespace {

using Json = nlohmann::ordered_json;

struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Quoted(const char* key) {
  return std::string("\"") + key + "\"";
}

const Json* Member(const Json& o, const char* key, bool required) {
  const auto it = o.find(key);
  if (it == o.end()) {
    if (required) throw Malformed(Quoted(key) + " is missing");
    return nullptr;
  }
  return &*it;
}

double Number(const Json& o, const char* key) {
  const Json* j = Member(o, key, true);
  if (!j->is_number()) throw Malformed(Quoted(key) + " is no number");
  const double value = j->get<double>();
  if (!std::isfinite(value) || std::fabs(value) > hold_json::kLargestNumber)
    throw Malformed(Quoted(key) + " is out of range (beyond ±1e9)");
  return value;
}

std::optional<double> NumberOrNull(const Json& o, const char* key) {
  const Json* j = Member(o, key, false);
  if (!j || j->is_null()) return std::nullopt;
  return Number(o, key);
}

// A value measured from a reading: null in a window without one.
double Reading(const Json& o, const char* key) {
  if (const Json* j = Member(o, key, true); j->is_null()) return 0.0;
  return Number(o, key);
}

int Integer(const Json& o, const char* key, int lowest, int highest) {
  const Json* j = Member(o, key, true);
  if (!j->is_number_integer() || j->get<double>() < lowest || j->get<double>() > highest)
    throw Malformed(Quoted(key) + " must be a whole number from " + std::to_string(lowest) + " to " +
                    std::to_string(highest));
  return static_cast<int>(j->get<std::int64_t>());
}

int IntegerOr(const Json& o, const char* key, int lowest, int highest, int absent) {
  return Member(o, key, false) ? Integer(o, key, lowest, highest) : absent;
}

// Characters, not bytes: the bound is the one a person and a spreadsheet cell count in.
std::size_t Characters(std::string_view utf8) {
  std::size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xc0) != 0x80;
  return n;
}

std::string TextOf(const Json& j, const std::string& what) {
  if (!j.is_string()) throw Malformed(what + " is no text");
  std::string text = j.get<std::string>();
  if (Characters(text) > kMaxRecordTextChars)
    throw Malformed(what + " is longer than " + std::to_string(kMaxRecordTextChars) + " characters");
  return text;
}

std::string TextIn(const Json& o, const char* key, bool required) {
  const Json* j = Member(o, key, required);
  if (!j || j->is_null()) return {};
  return TextOf(*j, Quoted(key));
}

bool Flag(const Json& o, const char* key) {
  const Json* j = Member(o, key, true);
  if (!j->is_boolean()) throw Malformed(Quoted(key) + " is neither true nor false");
  return j->get<bool>();
}

const Json& ObjectAt(const Json& o, const char* key) {
  const Json* j = Member(o, key, true);
  if (!j->is_object()) throw Malformed(Quoted(key) + " is no object");
  return *j;
}

template <class T>
T OneOf(const Json& o, const char* key, std::initializer_list<std::pair<std::string_view, T>> choices) {
  const std::string text = TextIn(o, key, true);
  for (const auto& [name, value] : choices)
    if (text == name) return value;
  throw Malformed(Quoted(key) + " has an unknown value");
}

HoldRecord RecordFrom(const Json& o, std::vector<std::string>* unknownKeys) {
  HoldRecord record;
  for (const auto& k : kHoldRecordFields) record.*k.field = TextIn(o, std::string(k.key).c_str(), false);
  if (unknownKeys) {
    for (const auto& [key, value] : o.items()) {
      bool known = false;
      for (const auto& k : kHoldRecordFields) known = known || k.key == key;
      if (!known) unknownKeys->push_back(key);
    }
  }
  return record;
}

constexpr int kMostSamples = std::numeric_limits<int>::max();
constexpr int kLongestHold = static_cast<int>(hold_json::kLargestNumber);

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
  c.holdSeconds = IntegerOr(o, "hold_seconds", 0, kLongestHold, 0);
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
    p.time = TextIn(j, "time", true);
    p.value = Reading(j, "value");
    p.change = Reading(j, "change");
    p.steeper = Flag(j, "steeper");
    p.sample = IntegerOr(j, "sample", -1, kMostSamples, -1);
    if (Member(j, "seconds", false)) p.seconds = Number(j, "seconds");
    points.push_back(std::move(p));
  }
  return points;
}

std::vector<std::string> ReasonsFrom(const Json& o) {
  const Json* list = Member(o, "reasons", true);
  if (!list->is_array()) throw Malformed("\"reasons\" is no list");
  std::vector<std::string> reasons;
  for (const Json& j : *list) reasons.push_back(TextOf(j, "a reason"));
  return reasons;
}

HoldState StateFrom(const Json& o) {
  if (!Member(o, "state", false)) return HoldState::Complete;  // written before tests had one
  return OneOf<HoldState>(o, "state",
                          {{hold_json::kComplete, HoldState::Complete},
                           {hold_json::kEndedEarly, HoldState::EndedEarly},
                           {hold_json::kGoing, HoldState::Going}});
}

HoldResult ResultFrom(const Json& o, AllowedKind kind) {
  HoldResult r;
  r.startTime = TextIn(o, "start_time", true);
  r.endTime = TextIn(o, "end_time", true);
  r.startDateTime = TextIn(o, "start_datetime", false);
  r.endDateTime = TextIn(o, "end_datetime", false);
  r.seconds = Number(o, "seconds");
  r.holdSeconds = IntegerOr(o, "hold_seconds", 0, kLongestHold, 0);
  r.state = StateFrom(o);
  r.samples = Integer(o, "samples", 0, kMostSamples);
  r.errors = Integer(o, "errors", 0, kMostSamples);
  r.unit = TextIn(o, "unit", true);
  r.start = Reading(o, "start");
  r.end = Reading(o, "end");
  r.change = Reading(o, "change");
  r.changePercent = NumberOrNull(o, "change_percent");
  r.direction = OneOf<HoldDirection>(o, "direction",
                                     {{"falling", HoldDirection::Falling},
                                      {"rising", HoldDirection::Rising},
                                      {"stable", HoldDirection::Stable}});
  r.ratePerMinute = Reading(o, "rate_per_minute");
  if (Member(o, "deviation", false)) r.deviation = Reading(o, "deviation");
  r.deviationTime = TextIn(o, "deviation_time", false);
  r.allowedKind = kind;
  r.allowedAmount = Reading(o, "allowed");
  r.allowedPercent = NumberOrNull(o, "allowed_percent");
  r.minimum = NumberOrNull(o, "minimum");
  r.checkpoints = CheckpointsFrom(o);
  r.passed = OneOf<bool>(o, "result", {{hold_json::kPassed, true}, {hold_json::kNotPassed, false}});
  r.reasons = ReasonsFrom(o);
  if (const Json* w = Member(o, "window", false); w && w->is_object()) {
    r.firstSample = Integer(*w, "first_sample", 0, kMostSamples);
    r.lastSample = Integer(*w, "last_sample", 0, kMostSamples);
    r.startSample = Integer(*w, "start_sample", -1, kMostSamples);
    r.endSample = Integer(*w, "end_sample", -1, kMostSamples);
    r.deviationSample = IntegerOr(*w, "deviation_sample", -1, kMostSamples, -1);
    r.decimals = Integer(*w, "decimals", 0, 6);
  }
  r.count = std::pow(10.0, -r.decimals);
  return r;
}

bool IsSha256Hex(std::string_view text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::optional<RunBinding> RunFrom(const Json& o) {
  const Json* j = Member(o, "run", false);
  if (!j) return std::nullopt;  // written before records named their run
  const Json& run = ObjectAt(o, "run");
  RunBinding binding;
  binding.sha256 = TextIn(run, "sha256", true);
  if (!IsSha256Hex(binding.sha256)) throw Malformed("\"sha256\" is no SHA-256 in lowercase hex");
  binding.startDateTime = TextIn(run, "start_datetime", false);
  if (!binding.startDateTime.empty() && !ParseIsoDateTime(binding.startDateTime))
    throw Malformed("\"start_datetime\" is no date and time with its UTC offset");
  binding.samples = Integer(run, "samples", 0, kMostSamples);
  return binding;
}

// The revisions before this one, each as its compact JSON, oldest first.
std::vector<std::string> EarlierRevisionsFrom(const Json& o) {
  const Json* list = Member(o, hold_json::kRevisionsKey, false);
  if (!list) return {};
  if (!list->is_array()) throw Malformed("\"revisions\" is no list");
  std::vector<std::string> earlier;
  for (const Json& j : *list) {
    if (!j.is_object()) throw Malformed("an earlier revision is no object");
    earlier.push_back(j.dump());
  }
  return earlier;
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

std::string CanonicalSha256(Json revision) {
  revision.erase(hold_json::kFingerprintKey);
  revision.erase(hold_json::kRevisionsKey);
  return Sha256Hex(revision.dump(-1, ' ', false, Json::error_handler_t::replace));
}

}  // namespace

std::string RevisionContentsSha256(std::string_view revisionJson) {
  const std::optional<Json> doc = ParseObject(revisionJson, nullptr);
  return doc ? CanonicalSha256(*doc) : std::string();
}

std::optional<HoldTestFile> ParseHoldTestJson(std::string_view text, std::string* error) {
  const std::optional<Json> doc = ParseObject(text, error);
  if (!doc) return std::nullopt;
  try {
    HoldTestFile file;
    file.criteria = CriteriaFrom(ObjectAt(*doc, "criteria"));
    if (const Json* record = Member(*doc, "record", false); record && !record->is_null())
      file.record = RecordFrom(ObjectAt(*doc, "record"), nullptr);
    file.result = ResultFrom(*doc, file.criteria.allowedKind);
    file.run = RunFrom(*doc);
    file.revision = IntegerOr(*doc, "revision", 1, kMostSamples, 1);
    file.fingerprint = TextIn(*doc, hold_json::kFingerprintKey, false);
    file.earlierRevisions = EarlierRevisionsFrom(*doc);
    file.contentsSha256 = CanonicalSha256(*doc);
    return file;
  } catch (const std::exception& e) {  // Malformed, and the library's own for anything it refuses
    if (error) *error = e.what();
    return std::nullopt;
  }
}

std::optional<HoldRecord> ParseHoldRecordJson(std::string_view text, std::string* error,
                                              std::vector<std::string>* unknownKeys) {
  const std::optional<Json> doc = ParseObject(text, error);
  if (!doc) return std::nullopt;
  try {
    return RecordFrom(*doc, unknownKeys);
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return std::nullopt;
  }
}

}  // namespace pv
