// SPDX-License-Identifier: GPL-3.0-or-later
// Files people open are untrusted: any bytes given to the data-logger file's decoder
// either fail with a message or give a complete store. A decoded store must survive
// being written again (encoding is a fixed point after one round), the text table,
// the spreadsheet and the reports, and the real-time chart drawn from its records.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "files/csv_table.h"
#include "files/datalogger_file.h"
#include "files/logger_report.h"
#include "files/sample_rows.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "fuzz_support.h"
#include "link/units.h"

using namespace pv;

namespace {

// The records as a live run, the way Save would find them after acquiring them.
void LoadAsRun(AppModel& m, const LoggerStore& s) {
  const int n = s.recordCount;
  for (int i = 0; i < n; ++i) {
    m.store.values[i] = s.values[i];
    m.store.texts[i] = s.texts[i];
    m.store.fullScaleAt[i] = s.fullScaleAt[i];
    m.store.unitAt[i] = s.unitAt[i];
    m.store.unitNameAt[i] = kUnits[s.unitAt[i]].name;
    m.store.toPsiAt[i] = kUnits[s.unitAt[i]].toPsi;
  }
  m.store.sampleCount = n;
  m.run.startText = s.startText;
  m.run.endText = s.endText;
  m.run.startHour = s.startHour;
  m.run.startMinute = s.startMinute;
  m.run.startSecond = s.startSecond;
  m.run.intervalMs = s.intervalMs;
  m.run.startTime = 1700000000;
  if (n > 0) {
    m.run.unit = s.unitAt[n - 1];
    m.run.fullScale = kUnits[m.run.unit].fullScale;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReusableModel reusable;
  auto decoded = DecodeDataLoggerFile({data, size});
  if (!decoded) {
    PV_FUZZ_CHECK(!decoded.error().message.empty());
    return 0;
  }
  const LoggerStore& s = decoded.value().store;
  PV_FUZZ_CHECK(s.recordCount >= 0 && s.recordCount <= kMaxLoggerRecords);
  PV_FUZZ_CHECK(s.loaded);

  LoggerFileRows rows(s);
  PV_FUZZ_CHECK(rows.size() == s.recordCount);
  BuildTextTable(rows);
  BuildSpreadsheet(rows);
  BuildCsv(rows);
  LoggerFileJson(s);
  LoggerFileSummary(s);

  AppModel& m = reusable.fresh();
  reusable.touchSamples(s.recordCount);
  LoadAsRun(m, s);
  const std::vector<std::uint8_t> once = EncodeDataLoggerFile(m);
  auto again = DecodeDataLoggerFile(once);
  PV_FUZZ_CHECK(again.ok());
  const LoggerStore& t = again.value().store;
  PV_FUZZ_CHECK(again.value().trailingBytes == 0);
  PV_FUZZ_CHECK(t.recordCount == s.recordCount);
  const auto n = static_cast<std::size_t>(s.recordCount);
  PV_FUZZ_CHECK(std::memcmp(t.values.data(), s.values.data(), n * sizeof(float)) == 0);
  PV_FUZZ_CHECK(std::memcmp(t.fullScaleAt.data(), s.fullScaleAt.data(), n * sizeof(float)) == 0);
  PV_FUZZ_CHECK(std::memcmp(t.texts.data(), s.texts.data(), n * sizeof(SampleText)) == 0);
  PV_FUZZ_CHECK(std::memcmp(t.unitAt.data(), s.unitAt.data(), n) == 0);
  PV_FUZZ_CHECK(t.startHour == s.startHour && t.startMinute == s.startMinute &&
                t.startSecond == s.startSecond && t.intervalMs == s.intervalMs);
  LoadAsRun(m, t);
  PV_FUZZ_CHECK(EncodeDataLoggerFile(m) == once);

  // The live store holds at most kMaxSamples; a full file is shown as a full run.
  m.store.sampleCount = std::min(m.store.sampleCount, kMaxSamples);
  fuzz::PaintAndCheck(m, 1000, 700);
  fuzz::PaintAndCheck(m, 300, 200);
  reusable.note();
  return 0;
}
