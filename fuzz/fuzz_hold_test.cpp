// SPDX-License-Identifier: GPL-3.0-or-later
// The hold test over anything a store can hold: any readings (NaN, infinite, huge, error
// markers, texts that are no number, unit codes outside the table) and any window and
// criteria give a result or a clear error. A result, and any sidecar text the reader
// accepts, must write and read back as the same file.
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/sample_rows.h"
#include "fuzz_rows.h"
#include "fuzz_support.h"
#include "holdtest/hold_record.h"
#include "holdtest/hold_text.h"
#include "link/units.h"
#include "text_format.h"

using namespace pv;

namespace {

using fuzz::FuzzRows;

SampleRow AnyRow(fuzz::Input& in, int i, int interval) {
  SampleRow r;
  r.value = fuzz::WildFloat(in);
  for (char& c : r.text) c = static_cast<char>(in.byte());
  r.unitCode = in.byte() % (kUnitCount + 2) - 1;  // -1 and kUnitCount are outside the table
  r.unitName =
      IsUnitCode(r.unitCode) ? kUnits[static_cast<std::size_t>(r.unitCode)].name : std::string_view{};
  r.errorKind = in.byte() % 3;
  r.localSeconds = 86000 + std::int64_t{i} * interval;
  r.time = FormatTimeOfDay(r.localSeconds);
  return r;
}

// What is written reads back, and writing what was read gives the same text.
void CheckWritesBack(const HoldTestFile& file) {
  const std::string written = HoldTestJson(file);
  std::string error;
  const auto read = ParseHoldTestJson(written, &error);
  // Readings far beyond any pressure (a damaged or hostile data file) are written as they
  // are, and the reader refuses them by the key that holds them.
  if (!read) {
    PV_FUZZ_CHECK(error.find("out of range") != std::string::npos);
    return;
  }
  PV_FUZZ_CHECK(HoldTestJson(*read) == written);
}

// A shown line never holds a byte that acts on a terminal.
void CheckShown(std::string_view line) {
  for (const char c : ShownText(line)) {
    const auto b = static_cast<unsigned char>(c);
    PV_FUZZ_CHECK(b >= 0x20 && b != 0x7f);
  }
}

void AnalyseAnyWindow(fuzz::Input& in) {
  HoldCriteria c;
  c.firstSample = in.range(-2, 40);
  c.lastSample = in.range(-2, 40);
  c.allowedKind = in.byte() % 2 ? AllowedKind::Percent : AllowedKind::Amount;
  c.allowed = fuzz::WildFloat(in);
  if (in.byte() % 2) c.minimum = fuzz::WildFloat(in);
  c.checkpoints = in.range(1, 9);
  c.holdSeconds = in.range(-1, 100000);
  const int interval = in.range(-1, 3600);
  FuzzRows rows;
  const int count = in.count(2000);
  for (int i = 0; i < count; ++i) rows.rows.push_back(AnyRow(in, i, interval));

  const HoldOutcome outcome = AnalyseHold(rows, interval, c);
  if (outcome.error != HoldError::None) {
    PV_FUZZ_CHECK(!outcome.message.empty());
    return;
  }
  const HoldResult& r = outcome.result;
  if (r.startSample < 0) {
    // No valid reading: judged, never passed.
    PV_FUZZ_CHECK(r.endSample == -1 && r.deviationSample == -1 && r.errors == r.samples && !r.passed);
  } else {
    PV_FUZZ_CHECK(r.firstSample <= r.startSample && r.startSample <= r.endSample &&
                  r.endSample <= r.lastSample);
    PV_FUZZ_CHECK(r.startSample <= r.deviationSample && r.deviationSample <= r.endSample);
  }
  PV_FUZZ_CHECK(r.lastSample < count && r.samples == r.lastSample - r.firstSample + 1 && r.samples >= 2 &&
                r.errors <= r.samples);
  PV_FUZZ_CHECK(r.state != HoldState::EndedEarly || !r.passed);
  PV_FUZZ_CHECK(static_cast<int>(r.checkpoints.size()) == c.checkpoints);
  PV_FUZZ_CHECK(r.passed == r.reasons.empty());
  PV_FUZZ_CHECK(std::isfinite(r.start) && std::isfinite(r.end) && std::isfinite(r.change));
  for (const HoldCheckpoint& p : r.checkpoints) PV_FUZZ_CHECK(p.sample >= -1 && p.sample <= r.endSample);
  for (const std::string& line : HoldReportLines(r)) CheckShown(line);
  CheckWritesBack({c, {}, r});
}

void ReadAnyText(std::string_view text) {
  std::string error;
  if (const auto file = ParseHoldTestJson(text, &error)) {
    CheckWritesBack(*file);
    for (const std::string& line : HoldReportLines(file->result)) CheckShown(line);
  } else {
    PV_FUZZ_CHECK(!error.empty());
  }
  error.clear();
  if (!ParseHoldRecordJson(text, &error)) PV_FUZZ_CHECK(!error.empty());
  CheckShown(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in({data, size});
  if (in.byte() % 2 == 0) {
    AnalyseAnyWindow(in);
  } else {
    const auto rest = in.take(size);
    ReadAnyText(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
  }
  return 0;
}
