// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A hold test over a run that falls steadily, with its record filled in, for the tests
// of the pages and sheets that show it.
#include <algorithm>
#include <string>
#include <vector>

#include "files/sample_rows.h"
#include "holdtest/hold_record.h"
#include "link/units.h"

namespace pv::testing {

inline constexpr std::int64_t kFixtureStart = 1796815200;

class TableRows final : public SampleRows {
 public:
  std::vector<SampleRow> rows;
  int size() const override { return static_cast<int>(rows.size()); }
  SampleRow row(int i) const override { return rows.at(static_cast<std::size_t>(i)); }
};

inline constexpr int kFixtureUnit = 4;  // mbar

// n samples a second apart from 11:20:00, falling by `step` mbar each; error samples at `errors`.
inline TableRows Falling(int n, double from, double step, std::vector<int> errors = {}) {
  TableRows t;
  for (int i = 0; i < n; ++i) {
    SampleRow r;
    r.value = static_cast<float>(from - step * i);
    r.unitCode = kFixtureUnit;
    r.unitName = kUnits[kFixtureUnit].name;
    r.errorKind = std::count(errors.begin(), errors.end(), i) ? 1 : 0;
    r.time = FormatTimeOfDay(11 * 3600 + 20 * 60 + i);
    r.localSeconds = kFixtureStart + i;  // 2026-12-09 11:20:00 on the wall clock
    r.dated = true;
    t.rows.push_back(r);
  }
  return t;
}

inline HoldTestFile HoldTest(bool passed, std::vector<std::string> reasons, int checkpoints,
                             std::string notes) {
  HoldTestFile f;
  f.criteria.allowed = 1.0;
  f.criteria.minimum = 49.0;
  HoldRecord& d = f.record;
  d.organisation = "Acme Gas Services", d.testId = "HT-0042", d.systemTested = "Riser 3, north wing";
  d.location = "Plant 2", d.procedure = "EN 1775", d.requiredPressure = "100 mbar", d.testMedium = "Nitrogen";
  d.operatorName = "A. Operator", d.witness = "W. Witness", d.instrument = "Gauge", d.serialNumber = "SN 123";
  d.instrumentRange = "\u00b1345 mbar", d.instrumentAccuracy = "0.1 mbar", d.calibrationDue = "2027-03-31";
  d.startTemperature = "21 C", d.endTemperature = "22 C", d.notes = std::move(notes);
  HoldResult& r = f.result;
  r.firstSample = 10, r.lastSample = 110, r.startSample = 10, r.endSample = 110;
  r.startTime = "11:20:10", r.endTime = "11:21:50", r.seconds = 100, r.samples = 101;
  r.unit = "mbar", r.start = 50.0, r.end = 49.6, r.change = -0.4, r.changePercent = -0.8;
  r.count = 0.1, r.decimals = 1, r.allowedAmount = 0.5, r.allowedPercent = 1.0, r.minimum = 49.0,
  r.direction = HoldDirection::Falling, r.ratePerMinute = -0.24;
  r.deviation = -0.4, r.deviationSample = 110, r.deviationTime = "11:21:50";
  r.startDateTime = "2026-12-09T11:20:10+01:00", r.endDateTime = "2026-12-09T11:21:50+01:00";
  for (int k = 0; k < checkpoints; ++k)
    r.checkpoints.push_back({10 + 25 * (k + 1), FormatTimeOfDay(11 * 3600 + 1210 + 25 * (k + 1)),
                             25.0 * (k + 1), 50.0 - 0.1 * (k + 1), -0.1, k == 2});
  r.passed = passed;
  r.reasons = std::move(reasons);
  return f;
}

}  // namespace pv::testing
