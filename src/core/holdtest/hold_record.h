// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test record that goes with a hold test: who tested what, where and with which
// instrument, saved beside the run as NAME.holdtest.json with the test's inputs and its
// result. The data file itself never changes for it.
#include <optional>
#include <string>
#include <string_view>

#include "files/file_result.h"
#include "holdtest/hold_test.h"

namespace pv {

// Every field is optional; an empty text is a field left blank.
struct HoldRecord {
  std::string testId;
  std::string systemTested;      // system or section tested
  std::string location;
  std::string testMedium;
  std::string operatorName;
  std::string witness;
  std::string instrument;
  std::string serialNumber;
  std::string calibrationDue;    // as the user wrote it, e.g. "2027-03-31"
  std::string startTemperature;  // with its unit, as written
  std::string endTemperature;
  std::string notes;
};

// The record's fields in the order a record shows them: the JSON key, the label a person
// reads, and the member. The dialog, the page, the sheet and the files all go by this table.
struct HoldRecordField {
  std::string_view key;    // "test_id"
  std::string_view label;  // "Test ID"
  std::string HoldRecord::*field;
};

inline constexpr HoldRecordField kHoldRecordFields[] = {
    {"test_id", "Test ID", &HoldRecord::testId},
    {"system_tested", "System tested", &HoldRecord::systemTested},
    {"location", "Location", &HoldRecord::location},
    {"test_medium", "Test medium", &HoldRecord::testMedium},
    {"operator", "Operator", &HoldRecord::operatorName},
    {"witness", "Witness", &HoldRecord::witness},
    {"instrument", "Instrument", &HoldRecord::instrument},
    {"serial_number", "Serial number", &HoldRecord::serialNumber},
    {"calibration_due", "Calibration due", &HoldRecord::calibrationDue},
    {"start_temperature", "Temperature at start", &HoldRecord::startTemperature},
    {"end_temperature", "Temperature at end", &HoldRecord::endTemperature},
    {"notes", "Notes", &HoldRecord::notes},
};

// What NAME.holdtest.json holds.
struct HoldTestFile {
  HoldCriteria criteria;
  HoldRecord record;
  HoldResult result;
};

// The sidecar's path for a data file: "run.KvtDat" -> "run.holdtest.json".
std::string HoldTestPathFor(std::string_view dataPath);

// The JSON text of the sidecar (UTF-8, keys as in the command line's --json output for
// the result, plus "criteria" and "record" objects).
std::string HoldTestJson(const HoldTestFile& file);

// The command line's --json object for a result, with a "record" object when one is given.
std::string HoldResultJson(const HoldResult& result, const HoldRecord* record);

// Reads a sidecar's text; nullopt with a reason in *error for text that is not one.
// Unknown keys are ignored, missing record fields are blank.
std::optional<HoldTestFile> ParseHoldTestJson(std::string_view text, std::string* error);

// Reads only a record object ({"test_id": ..., ...}), as the command line's --record
// file gives it.
std::optional<HoldRecord> ParseHoldRecordJson(std::string_view text, std::string* error);

}  // namespace pv
