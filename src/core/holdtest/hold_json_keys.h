// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names a hold test's record fields and choices carry in its JSON, shared by the
// writer and the reader so that one table says what goes where.
#include <array>
#include <string_view>

#include "holdtest/hold_record.h"

namespace pv::hold_json {

struct RecordKey {
  std::string_view key;
  std::string HoldRecord::*field;
};

inline const std::array<RecordKey, 12> kRecordKeys{{
    {"test_id", &HoldRecord::testId},
    {"system_tested", &HoldRecord::systemTested},
    {"location", &HoldRecord::location},
    {"test_medium", &HoldRecord::testMedium},
    {"operator", &HoldRecord::operatorName},
    {"witness", &HoldRecord::witness},
    {"instrument", &HoldRecord::instrument},
    {"serial_number", &HoldRecord::serialNumber},
    {"calibration_due", &HoldRecord::calibrationDue},
    {"start_temperature", &HoldRecord::startTemperature},
    {"end_temperature", &HoldRecord::endTemperature},
    {"notes", &HoldRecord::notes},
}};

inline constexpr std::string_view kPassed = "passed";
inline constexpr std::string_view kNotPassed = "not passed";
inline constexpr std::string_view kPercent = "percent";
inline constexpr std::string_view kAmount = "amount";

}  // namespace pv::hold_json
