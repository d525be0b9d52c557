// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's file beside a run: written, read back unchanged, its fingerprint
// telling any change to what it holds, and hostile texts refused with a reason.
#include "holdtest/hold_record.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "hold_rows.h"
#include "holdtest/hold_sidecar.h"

namespace pv {
namespace {

const RunBinding kRun{"5f2b1c0e4a8d7e6f5f2b1c0e4a8d7e6f5f2b1c0e4a8d7e6f5f2b1c0e4a8d7e6f", "2026-12-10T10:00:00+01:00",
                      6};

// What is written reads back as what was written: writing the read test gives the same text.
TEST(HoldRecordFile, ReadsBackWhatWasWritten) {
  const struct {
    const char* unit;
    const char* readings;
    HoldCriteria criteria;
    HoldRecord record;
    std::optional<RunBinding> run;
    int revision;
  } cases[] = {
      {"bar", "1.251 1.250 1.248 1.245 1.241 1.236", {1, 5, AllowedKind::Percent, 0.5, std::nullopt, 4}, {}, {}, 1},
      {"psi",
       "0.000 E -0.002 -0.004",
       {0, -1, AllowedKind::Amount, 0.005, -0.003, 3},
       {"Works \"B\"", "T-17", "Line 4", "Plant \"B\"", "EN 1779", "50 mbar", "N2", "A. Operator", "W. Itness",
        "Q5716", "SN 0042", "±345 mbar", "0.1 mbar", "2027-03-31", "21 °C", "20.5 °C", "line one\nline two\t\\"},
       kRun,
       3},
      // Millions with a fraction: nine decimals are more digits than a double holds.
      {"psi", "5.1 4327350.0 0.4", {0, -1, AllowedKind::Amount, 4327350.0176786445, 4371808.5715705995, 2}, {}, {}, 1},
      // A timed test cut short: its state and hold period go with it.
      {"mbar", "50.0 49.9 49.8 49.6", {0, -1, AllowedKind::Amount, 0.5, std::nullopt, 2, 600}, {}, kRun, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readings);
    const HoldOutcome outcome = AnalyseHold(test::ReadingRows(c.unit, c.readings, 30), 30, c.criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    HoldTestFile file{c.criteria, c.record, outcome.result, c.run, c.revision};
    for (int r = 1; r < c.revision; ++r) file.earlierRevisions.push_back(R"({"revision":)" + std::to_string(r) + "}");
    const std::string written = HoldTestJson(file);
    std::string error;
    const auto read = ParseHoldTestJson(written, &error);
    ASSERT_TRUE(read) << error << "\n" << written;
    EXPECT_EQ(HoldTestJson(*read), written);
    EXPECT_EQ(read->record.notes, c.record.notes);
    EXPECT_EQ(read->criteria.minimum, c.criteria.minimum);
    EXPECT_EQ(read->criteria.holdSeconds, c.criteria.holdSeconds);
    EXPECT_EQ(read->result.state, outcome.result.state);
    EXPECT_EQ(read->revision, c.revision);
    EXPECT_EQ(read->earlierRevisions, file.earlierRevisions);
    EXPECT_EQ(read->run.has_value(), c.run.has_value());
    // A record as written is unchanged: its contents give its fingerprint.
    EXPECT_EQ(read->contentsSha256, read->fingerprint);
  }
}

// The fingerprint covers what the revision says, not how its text is laid out.
TEST(HoldRecordFile, TheFingerprintTellsEveryChangeToWhatTheRecordSays) {
  HoldTestFile file;
  file.criteria = {0, -1, AllowedKind::Amount, 0.5, std::nullopt, 2};
  const HoldOutcome outcome = AnalyseHold(test::ReadingRows("mbar", "50.0 49.9 49.8 49.6", 30), 30, file.criteria);
  ASSERT_EQ(outcome.error, HoldError::None);
  file.result = outcome.result;
  file.record.operatorName = "A. Operator";
  file.run = kRun;
  file.earlierRevisions = {R"({"revision":1,"fingerprint":"00"})"};
  file.revision = 2;
  const std::string written = HoldTestJson(file);
  const auto edited = [&](const std::string& from, const std::string& to) {
    std::string text = written;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  const struct {
    const char* edit;
    std::string text;
    bool unchanged;
  } cases[] = {
      {"as written", written, true},
      {"laid out on one line", nlohmann::ordered_json::parse(written).dump(), true},
      {"laid out wider", nlohmann::ordered_json::parse(written).dump(8), true},
      {"an earlier revision edited", edited(R"("fingerprint": "00")", R"("fingerprint": "01")"), true},
      {"the verdict edited", edited(R"("result": "passed")", R"("result": "not passed")"), false},
      {"the operator edited", edited("A. Operator", "B. Operator"), false},
      {"the unit edited", edited(R"("unit": "mbar")", R"("unit": "psi")"), false},
      {"a key added", edited(R"("revision": 2)", R"("revision": 2, "note": "")"), false},
      {"the run's samples edited", edited(R"("samples": 6)", R"("samples": 7)"), false},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto read = ParseHoldTestJson(c.text, &error);
    ASSERT_TRUE(read) << c.edit << ": " << error;
    EXPECT_EQ(read->contentsSha256 == read->fingerprint, c.unchanged) << c.edit;
  }
}

// A window without a valid reading has nothing measured from one: null, never a zero
// that reads like a pressure. Dates the run does not tell are null too.
TEST(HoldRecordFile, ValuesWithoutAReadingAreWrittenAsNull) {
  HoldResult none;
  none.startSample = none.endSample = -1;
  none.samples = none.errors = 3;
  none.allowedKind = AllowedKind::Percent;
  none.allowedPercent = 0.5;
  none.checkpoints = {{-1, "10:00:30", 30, 0, 0, false}, {-1, "10:01:00", 60, 0, 0, false}};
  none.reasons = {"the window holds only error samples"};
  HoldResult dated;
  dated.startSample = 0, dated.start = 50.0, dated.end = 49.6, dated.change = -0.4, dated.deviation = -0.4;
  dated.deviationTime = "10:01:00";
  dated.startDateTime = "2026-12-10T10:00:00+01:00", dated.endDateTime = "2026-12-10T10:01:00+01:00";
  const struct {
    const char* name;
    const HoldResult& result;
    std::vector<const char*> nullKeys;
    std::vector<const char*> valueKeys;
  } cases[] = {
      {"only error samples", none,
       {"start", "end", "change", "change_percent", "rate_per_minute", "deviation", "deviation_time", "allowed",
        "start_datetime", "end_datetime"},
       {"allowed_percent", "samples", "errors", "state", "hold_seconds"}},
      {"a dated window", dated,
       {"change_percent"},
       {"start", "end", "change", "deviation", "deviation_time", "start_datetime", "end_datetime"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::string& text : {HoldResultJson(c.result, nullptr), HoldTestJson({{}, {}, c.result})}) {
      const auto o = nlohmann::json::parse(text);
      for (const char* key : c.nullKeys) EXPECT_TRUE(o.at(key).is_null()) << key;
      for (const char* key : c.valueKeys) EXPECT_FALSE(o.at(key).is_null()) << key;
      for (const auto& point : o.at("checkpoints"))
        EXPECT_EQ(point.at("value").is_null(), c.result.startSample < 0) << point;
    }
  }
  std::string error;
  const auto read = ParseHoldTestJson(HoldTestJson({{}, {}, none}), &error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->result.startSample, -1);
}

// Both readers: a test's file and a record file given to the command line. The reason
// names the key at fault.
TEST(HoldRecordFile, HostileTextIsRefusedWithAReason) {
  const std::string criteria =
      R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent",
      "allowed": 0.5, "checkpoints": 4})";
  HoldTestFile valid;
  valid.criteria.allowed = 0.5;
  valid.run = kRun;
  valid.result.startTime = "10:00:00";
  const std::string written = HoldTestJson(valid);
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = written;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  const struct {
    bool record;
    std::string text;
    const char* reasonNames;
  } cases[] = {
      {false, "", "no JSON"},
      {false, "[1, 2]", "no JSON object"},
      {false, "{\"criteria\": ", "no JSON"},
      {false, "{}", "\"criteria\""},
      {false, "{\"criteria\": 5}", "\"criteria\""},
      {false, criteria + "}", "\"start_time\""},  // no result
      {false,
       R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent", "allowed": 1, "checkpoints": 9}})",
       "\"checkpoints\""},
      {false, R"({"criteria": {"first_sample": 0.5, "last_sample": 99999999999, "allowed_kind": "litres"}})",
       "\"first_sample\""},
      {false,
       R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "amount", "allowed": 1e999,
          "checkpoints": 4}})",
       ""},
      {false, criteria + R"(, "record": {"notes": ["a"]}})", "\"notes\""},
      // Numbers no pressure record holds, which a sheet would show as an infinity.
      {false, replaced(R"("start": 0)", R"("start": 1e300)"), "\"start\""},
      {false, replaced(R"("seconds": 0)", R"("seconds": -2e9)"), "\"seconds\""},
      {false, replaced(R"("allowed": 0.5)", R"("allowed": 1e10)"), "\"allowed\""},
      // Texts beyond what a record holds, which a sheet's cell would refuse.
      {false, replaced(R"("notes": "")", "\"notes\": \"" + std::string(10001, 'x') + "\""), "\"notes\""},
      {false, replaced(R"("reasons": [])", "\"reasons\": [\"" + std::string(40000, 'x') + "\"]"), "a reason"},
      {false, replaced(kRun.sha256, "5F2B"), "\"sha256\""},
      {false, replaced(kRun.startDateTime, "yesterday"), "\"start_datetime\""},
      {false, replaced(R"("revision": 1)", R"("revision": 0)"), "\"revision\""},
      {false, replaced(R"("revisions": [])", R"("revisions": [1])"), "revision"},
      {false, replaced(R"("state": "complete")", R"("state": "done")"), "\"state\""},
      {true, R"({"test_id": 42})", "\"test_id\""},
      {true, "\"T-1\"", "no JSON object"},
      {true, "{\"notes\": \"\xff\xfe\"}", "no JSON"},
      {true, std::string(5000, '[') + std::string(5000, ']'), ""},
      {true, "{\"witness\": \"" + std::string(10001, 'w') + "\"}", "\"witness\""},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(c.record ? ParseHoldRecordJson(c.text, &error).has_value()
                          : ParseHoldTestJson(c.text, &error).has_value())
        << c.text.substr(0, 200);
    EXPECT_FALSE(error.empty()) << c.text.substr(0, 200);
    EXPECT_NE(error.find(c.reasonNames), std::string::npos) << error;
  }
  // The bound is in characters: 10,000 of them in three bytes each are a note.
  std::string error;
  std::string note;
  for (int i = 0; i < 10000; ++i) note += "€";
  EXPECT_TRUE(ParseHoldRecordJson("{\"notes\": \"" + note + "\"}", &error)) << error;
}

// A key that names no field is named back, so that a mistyped field is not lost unseen.
TEST(HoldRecordFile, KeysThatNameNoFieldAreNamed) {
  const struct {
    const char* text;
    std::vector<std::string> unknown;
  } cases[] = {
      {R"({"test_id": "T-1", "system_tested": "Line 4"})", {}},
      {R"({"test_id": "T-1", "system": "Line 4"})", {"system"}},
      {R"({"Operator": "A. Operator", "operator": "A. Operator", "witnes": "W. Itness"})", {"Operator", "witnes"}},
      {R"({})", {}},
  };
  for (const auto& c : cases) {
    std::string error;
    std::vector<std::string> unknown;
    ASSERT_TRUE(ParseHoldRecordJson(c.text, &error, &unknown)) << error;
    EXPECT_EQ(unknown, c.unknown) << c.text;
  }
}

}  // namespace
}  // namespace pv
