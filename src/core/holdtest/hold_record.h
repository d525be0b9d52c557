// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test record that goes with a hold test: who tested what, where and with which
// instrument, saved beside the run as NAME.holdtest.json with the test's inputs and its
// result. The data file itself never changes for it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/atomic_save.h"
#include "files/file_result.h"
#include "holdtest/hold_test.h"

namespace pv {

// Every field is optional; an empty text is a field left blank.
struct HoldRecord {
  std::string organisation;      // printed as the page's header
  std::string testId;
  std::string systemTested;      // system or section tested
  std::string location;
  std::string procedure;         // procedure or standard reference
  std::string requiredPressure;  // with its unit, as written
  std::string testMedium;
  std::string operatorName;
  std::string witness;
  std::string instrument;
  std::string serialNumber;
  std::string instrumentRange;    // as written, e.g. "±345 mbar"
  std::string instrumentAccuracy;
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
    {"organisation", "Organisation", &HoldRecord::organisation},
    {"test_id", "Test ID", &HoldRecord::testId},
    {"system_tested", "System tested", &HoldRecord::systemTested},
    {"location", "Location", &HoldRecord::location},
    {"procedure", "Procedure or standard", &HoldRecord::procedure},
    {"required_pressure", "Required test pressure", &HoldRecord::requiredPressure},
    {"test_medium", "Test medium", &HoldRecord::testMedium},
    {"operator", "Operator", &HoldRecord::operatorName},
    {"witness", "Witness", &HoldRecord::witness},
    {"instrument", "Instrument", &HoldRecord::instrument},
    {"serial_number", "Serial number", &HoldRecord::serialNumber},
    {"instrument_range", "Instrument range", &HoldRecord::instrumentRange},
    {"instrument_accuracy", "Instrument accuracy", &HoldRecord::instrumentAccuracy},
    {"calibration_due", "Calibration due", &HoldRecord::calibrationDue},
    {"start_temperature", "Temperature at start", &HoldRecord::startTemperature},
    {"end_temperature", "Temperature at end", &HoldRecord::endTemperature},
    {"notes", "Notes", &HoldRecord::notes},
};

// The run a record belongs to: the data file's bytes as they were when the record was
// written, and the run's start and sample count.
struct RunBinding {
  std::string sha256;         // of the data file, lowercase hex
  std::string startDateTime;  // ISO 8601 with the UTC offset; empty when not known
  int samples = 0;
};

// What NAME.holdtest.json holds: the newest revision of the test, and the earlier ones.
struct HoldTestFile {
  HoldCriteria criteria;
  HoldRecord record;
  HoldResult result;
  std::optional<RunBinding> run = std::nullopt;  // none in a record written before records named their run
  int revision = 1;
  // SHA-256 (lowercase hex) of this revision's canonical JSON, as written; empty before
  // the record is written.
  std::string fingerprint = {};
  // The earlier revisions' JSON objects, oldest first, kept as they were written.
  std::vector<std::string> earlierRevisions = {};
  // When read from a file: the SHA-256 of the canonical JSON of what the file holds, which
  // is the fingerprint unless the file was changed after it was written; empty otherwise.
  std::string contentsSha256 = {};
};

// The JSON text of the sidecar (UTF-8, keys as in the command line's --json output for
// the result, plus "criteria" and "record" objects).
std::string HoldTestJson(const HoldTestFile& file);

// The command line's --json object for a result, with a "record" object when one is given.
std::string HoldResultJson(const HoldResult& result, const HoldRecord* record);

// Reads a sidecar's text; nullopt with a reason in *error for text that is not one.
// Unknown keys are ignored, missing record fields are blank.
std::optional<HoldTestFile> ParseHoldTestJson(std::string_view text, std::string* error);

// Reads only a record object ({"test_id": ..., ...}), as the command line's --record
// file gives it. Keys that name no field are put in *unknownKeys when given.
std::optional<HoldRecord> ParseHoldRecordJson(std::string_view text, std::string* error,
                                              std::vector<std::string>* unknownKeys = nullptr);

}  // namespace pv
