// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a known run through Export as a workbook, and beside it what the workbook must
// hold, for read_workbook.py to compare with what a real reader finds in the file.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>

#include "files/run_export.h"
#include "files/text_table.h"
#include "holdtest/hold_record.h"
#include "link/units.h"
#include "run_fixture.h"

namespace {

constexpr int kSamples = 1200;
constexpr int kIntervalSeconds = 2;

// A pressure curve in psi with the meter switched to mbar for a stretch, DIF samples,
// and range errors of both signs.
pv::test::SampleSpec SampleAt(int i) {
  if (i % 97 == 13) return {5.1f, "+ERR1 ", pv::kUnitPsi};
  if (i % 131 == 7) return {-5.1f, "-ERR2 ", pv::kUnitPsi, i % 2 == 0};
  static std::string text;
  const bool mbar = i >= 600 && i < 700;
  const float value = mbar ? 20.0f + 0.1f * static_cast<float>(i % 50) : 1.5f + 0.001f * static_cast<float>(i % 900);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, mbar ? "%-+6.1f" : "%+6.3f", value);
  text = buffer;
  return {value, text, mbar ? 4 : pv::kUnitPsi, i % 10 == 3};
}

}  // namespace

int Exported(const pv::AppModel& run, const char* bookPath, const pv::HoldTestFile& test) {
  const pv::FileStatus saved = pv::ExportRun(run, bookPath, &test);
  if (!saved) std::fprintf(stderr, "%s\n", saved.error().message.c_str());
  return saved ? 0 : 1;
}

// A hold test over a stretch of the run with error samples in it, exported with the run
// into HOLD.xlsx; its JSON beside it says what the sheet must show. Its record carries a
// direction override, a control character and notes longer than a cell holds.
int WriteHoldTest(const pv::AppModel& run, const char* bookPath, const char* jsonPath) {
  pv::HoldTestFile test;
  test.criteria.firstSample = 100;
  test.criteria.lastSample = 500;
  test.criteria.allowed = 0.5;
  test.criteria.minimum = 1.55;
  const auto outcome = pv::AnalyseHold(pv::LiveRunRows(run), kIntervalSeconds, test.criteria);
  if (outcome.error != pv::HoldError::None) {
    std::fprintf(stderr, "%s\n", outcome.message.c_str());
    return 1;
  }
  test.result = outcome.result;
  pv::HoldRecord& d = test.record;
  d.organisation = "Acme Gas Services", d.testId = "T-17\u202egnp.exe", d.systemTested = "Riser 3";
  d.location = "Plant 2", d.procedure = "EN 1775", d.requiredPressure = "4.5 psi", d.testMedium = "Nitrogen";
  d.operatorName = "A. Operator", d.witness = "W. Witness", d.instrument = "Gauge", d.serialNumber = "SN 123";
  d.instrumentRange = "\u00b15 psi", d.instrumentAccuracy = "0.001 psi", d.calibrationDue = "2027-03-31";
  d.startTemperature = "21 \u00b0C", d.endTemperature = "22 \u00b0C";
  d.notes = "Flanges checked;\nno leaks \x01 found.";
  for (int k = 0; k < 4000; ++k) d.notes += " valve" + std::to_string(k);
  test.revision = 2, test.fingerprint = std::string(64, 'f');
  test.run = pv::RunBinding{std::string(64, '0'), "", 1200};
  if (Exported(run, bookPath, test) != 0) return 1;
  std::ofstream(jsonPath, std::ios::binary) << pv::HoldTestJson(test);
  return 0;
}

// A record as a damaged file may give it: figures no number can be and texts no cell
// holds. The workbook must still be one a reader opens.
int WriteDamagedHoldTest(const pv::AppModel& run, const char* bookPath) {
  pv::HoldTestFile test;
  pv::HoldResult& r = test.result;
  r.firstSample = 0, r.lastSample = 10, r.startSample = 0, r.endSample = 10, r.samples = 11;
  r.unit = std::string(100, '"') + "\x01psi\xEF\xBF\xBF";
  r.start = std::numeric_limits<double>::quiet_NaN(), r.minimum = 1e305;
  r.startTime = std::string(70000, '1'), r.startDateTime = "2026-02-30T25:00:00+01:00";
  r.checkpoints.push_back({1, std::string(40000, '9'), 1e300, 1.0, 0.0, false});
  test.record.witness = std::string(33000, '\x02');
  return Exported(run, bookPath, test);
}

int main(int argc, char** argv) {
  if (argc != 3 && argc != 6) {
    std::fprintf(stderr, "usage: write_run_workbook OUT.xlsx EXPECTED.tsv [HOLD.xlsx HOLD.json BAD.xlsx]\n");
    return 2;
  }
  auto run = pv::test::MakeRun(kSamples, kIntervalSeconds);
  for (int i = 0; i < kSamples; ++i) pv::test::PutSample(*run, i, SampleAt(i));
  const pv::FileStatus saved = pv::ExportRun(*run, argv[1]);
  if (!saved) {
    std::fprintf(stderr, "%s\n", saved.error().message.c_str());
    return 1;
  }
  if (argc == 6 && (WriteHoldTest(*run, argv[3], argv[4]) != 0 || WriteDamagedHoldTest(*run, argv[5]) != 0))
    return 1;
  // One line per sample: the value as the decimal its reading shows (empty for errors),
  // the unit cell and the reading; the first line gives the run start and the interval.
  std::ofstream expected(argv[2], std::ios::binary);
  expected << run->run.startTime << '\t' << kIntervalSeconds << '\n';
  const pv::LiveRunRows rows(*run);
  for (int i = 0; i < rows.size(); ++i) {
    const pv::SampleRow r = rows.row(i);
    char value[32] = "";
    if (r.errorKind == 0)
      std::snprintf(value, sizeof value, "%.*f",
                    pv::Decimals(pv::kUnits[static_cast<std::size_t>(r.unitCode)]),
                    static_cast<double>(r.value));
    expected << value << '\t' << pv::UnitText(r) << '\t' << pv::DataText(r, pv::DataStyle::TextTable) << '\n';
  }
  return expected ? 0 : 1;
}
