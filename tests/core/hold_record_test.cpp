// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's file beside a run: written, read back unchanged, and hostile texts
// refused with a reason.
#include "holdtest/hold_record.h"

#include <gtest/gtest.h>

#include "hold_rows.h"

namespace pv {
namespace {

TEST(HoldRecordFile, SitsBesideTheDataFile) {
  const struct {
    const char* data;
    const char* sidecar;
  } cases[] = {
      {"run.KvtDat", "run.holdtest.json"},
      {"/data/line 4.b/run.KvtDat", "/data/line 4.b/run.holdtest.json"},
      {"/data/line.4/run", "/data/line.4/run.holdtest.json"},
      {"run.2026.KvtDat", "run.2026.holdtest.json"},
  };
  for (const auto& c : cases) EXPECT_EQ(HoldTestPathFor(c.data), c.sidecar);
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
       {"T-17", "Line 4", "Plant \"B\"", "N2", "A. Operator", "W. Itness", "Q5716", "SN 0042", "2027-03-31",
        "21 °C", "20.5 °C", "line one\nline two\t\\"}},
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
  }
}

TEST(HoldRecordFile, HostileTextIsRefusedWithAReason) {
  const std::string criteria =
      R"("criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent",
      "allowed": 0.5, "minimum": null, "checkpoints": 4})";
  const char* cases[] = {
      "",
      "[1, 2]",
      "{\"criteria\": ",
      "{}",
      "{\"criteria\": 5}",
      R"({"criteria": {"first_sample": -4, "last_sample": -1, "allowed_kind": "percent", "allowed": 0.5,
          "checkpoints": 4}})",
      R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent", "allowed": 1e999,
          "checkpoints": 4}})",
      R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "litres", "allowed": 1,
          "checkpoints": 4}})",
      R"({"criteria": {"first_sample": 0, "last_sample": 99999999999, "allowed_kind": "amount", "allowed": 1,
          "checkpoints": 9}})",
      "{\"criteria\": {\"first_sample\": 0.5}}",
  };
  for (const char* text : cases) {
    std::string error;
    EXPECT_FALSE(ParseHoldTestJson(text, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  // A good inputs part with a damaged result.
  const char* results[] = {
      R"("start_time": 5)",
      R"("record": {"notes": ["a"]})",
      R"("record": 7)",
  };
  for (const char* result : results) {
    std::string error;
    EXPECT_FALSE(ParseHoldTestJson("{" + criteria + ", " + result + "}", &error)) << result;
    EXPECT_FALSE(error.empty()) << result;
  }
}

TEST(HoldRecordFile, ARecordFileGivesItsFieldsOrAReason) {
  const struct {
    const char* text;
    bool read;
    const char* testId;
    const char* witness;
  } cases[] = {
      {R"({"test_id": "T-1", "witness": "W", "colour": "red"})", true, "T-1", "W"},
      {R"({"test_id": null})", true, "", ""},
      {"{}", true, "", ""},
      {R"({"test_id": 42})", false, "", ""},
      {"\"T-1\"", false, "", ""},
      {"{\"notes\": \"\xff\xfe\"}", false, "", ""},
      {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]"
       "]]]]]]]]]]]]]]]]]]]",
       false, "", ""},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto record = ParseHoldRecordJson(c.text, &error);
    EXPECT_EQ(record.has_value(), c.read) << c.text << ": " << error;
    if (!record) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(record->testId, c.testId);
    EXPECT_EQ(record->witness, c.witness);
  }
}

}  // namespace
}  // namespace pv
