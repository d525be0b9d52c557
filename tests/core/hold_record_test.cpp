// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test's file beside a run: written, read back unchanged, and hostile texts
// refused with a reason.
#include "holdtest/hold_record.h"

#include <gtest/gtest.h>

#include "hold_rows.h"

namespace pv {
namespace {

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
      // Millions with a fraction: nine decimals are more digits than a double holds.
      {"psi", "5.1 4327350.0 0.4", {0, -1, AllowedKind::Amount, 4327350.0176786445, 4371808.5715705995, 2}, {}},
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

// Both readers: a test's file and a record file given to the command line.
TEST(HoldRecordFile, HostileTextIsRefusedWithAReason) {
  const std::string criteria =
      R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent",
      "allowed": 0.5, "checkpoints": 4})";
  const struct {
    bool record;
    std::string text;
  } cases[] = {
      {false, ""},
      {false, "[1, 2]"},
      {false, "{\"criteria\": "},
      {false, "{}"},
      {false, "{\"criteria\": 5}"},
      {false, criteria + "}"},  // no result
      {false,
       R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent", "allowed": 1, "checkpoints": 9}})"},
      {false, R"({"criteria": {"first_sample": 0.5, "last_sample": 99999999999, "allowed_kind": "litres"}})"},
      {false,
       R"({"criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "amount", "allowed": 1e999,
          "checkpoints": 4}})"},
      {false, criteria + R"(, "record": {"notes": ["a"]}})"},
      {true, R"({"test_id": 42})"},
      {true, "\"T-1\""},
      {true, "{\"notes\": \"\xff\xfe\"}"},
      {true, std::string(5000, '[') + std::string(5000, ']')},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(c.record ? ParseHoldRecordJson(c.text, &error).has_value()
                          : ParseHoldTestJson(c.text, &error).has_value())
        << c.text;
    EXPECT_FALSE(error.empty()) << c.text;
  }
}

}  // namespace
}  // namespace pv
