// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's file beside a run: written, read back unchanged, its fingerprint
// telling any change to what it holds, and hostile texts refused with a reason.
#include "holdtest/hold_record.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "hold_rows.h"

namespace pv {
namespace {

const RunBinding kRun{std::string(64, 'f'), "2026-12-10T10:00:00+01:00", 6};

// A revision 2 of a test of 50.0 mbar falling to 49.6 mbar, as written.
std::string BoundTestJson() {
  HoldTestFile f{{0, -1, AllowedKind::Amount, 0.5, std::nullopt, 2}, {}, {}, kRun, 2};
  f.result = AnalyseHold(test::ReadingRows("mbar", "50.0 49.9 49.8 49.6", 30), 30, f.criteria).result;
  f.earlierRevisions = {R"({"revision":1,"fingerprint":"00"})"};
  return HoldTestJson(f);
}

std::string Edited(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// What is written reads back as what was written: writing the read test gives the same text.
TEST(HoldRecordFile, ReadsBackWhatWasWritten) {
  const struct {
    const char* unit;
    const char* readings;
    HoldCriteria criteria;
    HoldRecord record;
  } cases[] = {
      {"bar", "1.251 1.250 1.248 1.245 1.241 1.236", {1, 5, AllowedKind::Percent, 0.5, std::nullopt, 4}, {}},
      {"psi",
       "0.000 E -0.002 -0.004",
       {0, -1, AllowedKind::Amount, 0.005, -0.003, 3},
       {"Works \"B\"", "T-17", "Line 4", "Plant \"B\"", "EN 1779", "50 mbar", "N2", "A. Operator", "W. Itness",
        "Q5716", "SN 0042", "±345 mbar", "0.1 mbar", "2027-03-31", "21 °C", "20.5 °C", "line one\nline two\t\\"}},
      // Millions with a fraction: nine decimals are more digits than a double holds.
      {"psi", "5.1 4327350.0 0.4", {0, -1, AllowedKind::Amount, 4327350.0176786445, 4371808.5715705995, 2}, {}},
      // A timed test cut short: its state and hold period go with it.
      {"mbar", "50.0 49.9 49.8 49.6", {0, -1, AllowedKind::Amount, 0.5, std::nullopt, 2, 600}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readings);
    const HoldOutcome outcome = AnalyseHold(test::ReadingRows(c.unit, c.readings, 30), 30, c.criteria);
    ASSERT_EQ(outcome.error, HoldError::None) << outcome.message;
    const std::string written = HoldTestJson({c.criteria, c.record, outcome.result});
    std::string error;
    const auto read = ParseHoldTestJson(written, &error);
    ASSERT_TRUE(read) << error << "\n" << written;
    EXPECT_EQ(HoldTestJson(*read), written);
    EXPECT_EQ(read->record.notes, c.record.notes);
    EXPECT_EQ(read->criteria.minimum, c.criteria.minimum);
    EXPECT_EQ(read->contentsSha256, read->fingerprint);
  }
}

// The fingerprint covers what the revision says, not its layout nor the earlier revisions.
TEST(HoldRecordFile, TheFingerprintTellsEveryChangeToWhatTheRecordSays) {
  const std::string written = BoundTestJson();
  const struct {
    std::string text;
    bool unchanged;
  } cases[] = {
      {nlohmann::ordered_json::parse(written).dump(), true},
      {Edited(written, R"("fingerprint": "00")", R"("fingerprint": "01")"), true},
      {Edited(written, R"("samples": 6)", R"("samples": 7)"), false},
      {Edited(written, R"("revision": 2)", R"("revision": 2, "note": "")"), false},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto read = ParseHoldTestJson(c.text, &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->contentsSha256 == read->fingerprint, c.unchanged) << c.text;
  }
}

// A window without a valid reading has nothing measured from one: null, never a zero
// that reads like a pressure.
TEST(HoldRecordFile, ValuesWithoutAReadingAreWrittenAsNull) {
  HoldResult none;
  none.startSample = none.endSample = -1, none.samples = none.errors = 3;
  none.allowedKind = AllowedKind::Percent, none.allowedPercent = 0.5;
  none.checkpoints = {{-1, "10:00:30", 30, 0, 0, false}};
  for (const std::string& text : {HoldResultJson(none, nullptr), HoldTestJson({{}, {}, none})}) {
    std::string nulls;
    const auto o = nlohmann::ordered_json::parse(text);
    for (const auto& object : {o, o.at("checkpoints").at(0)})
      for (const auto& [key, value] : object.items()) nulls += value.is_null() ? key + " " : "";
    EXPECT_EQ(nulls, "start_datetime end_datetime start end change change_percent rate_per_minute deviation "
                     "deviation_time allowed minimum value change ");
  }
  EXPECT_TRUE(ParseHoldTestJson(HoldTestJson({{}, {}, none}), nullptr));
}

// Both readers: a test's file and a record file given to the command line. The reason
// names the key at fault.
TEST(HoldRecordFile, HostileTextIsRefusedWithAReason) {
  const std::string criteria =
      R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent",
      "allowed": 0.5, "checkpoints": 4})";
  const std::string bound = BoundTestJson();
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
      // A number no pressure takes, and texts longer than a sheet's cell takes.
      {false, Edited(bound, R"("start": 50)", R"("start": 1e300)"), "\"start\""},
      {false, Edited(bound, R"("notes": "")", "\"notes\": \"" + std::string(10001, 'x') + "\""), "\"notes\""},
      {false, Edited(bound, R"("reasons": [])", "\"reasons\": [\"" + std::string(40000, 'x') + "\"]"), "a reason"},
      {false, Edited(bound, kRun.sha256, "FFFF"), "\"sha256\""},
      {false, Edited(bound, kRun.startDateTime, "yesterday"), "\"start_datetime\""},
      {false, Edited(bound, R"("revision": 2)", R"("revision": 0)"), "\"revision\""},
      {false, Edited(bound, R"("revisions": [)", R"("revisions": [1, )"), "revision"},
      {false, Edited(bound, R"("state": "complete")", R"("state": "done")"), "\"state\""},
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
    EXPECT_NE(error.find(c.reasonNames), std::string::npos) << "'" << error << "' for " << c.text.substr(0, 200);
  }
  // The bound is in characters: 10,000 of them in three bytes each are a note.
  std::string note;
  for (int i = 0; i < 10000; ++i) note += "€";
  EXPECT_TRUE(ParseHoldRecordJson("{\"notes\": \"" + note + "\"}", nullptr));
}

// A key that names no field is named back, so that a mistyped field is not lost unseen.
TEST(HoldRecordFile, KeysThatNameNoFieldAreNamed) {
  std::vector<std::string> unknown;
  ASSERT_TRUE(ParseHoldRecordJson(R"({"test_id": "T-1", "system": "4", "Operator": "A", "operator": "A"})", nullptr,
                                  &unknown));
  EXPECT_EQ(unknown, (std::vector<std::string>{"system", "Operator"}));
}

}  // namespace
}  // namespace pv
