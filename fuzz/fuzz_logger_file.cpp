// Files people open are untrusted: any bytes given to the data-logger file's decoder
// either fail with a message or give a complete store. A decoded store must survive
// being written again (encoding is a fixed point after one round), the text table,
// the spreadsheet and the reports, and the real-time chart drawn from its records.
#include <cstddef>
#include <cstdint>
#include <cstring>

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
  const int n = s.m_nLogCount;
  for (int i = 0; i < n; ++i) {
    m.doc.m_fValue[i] = s.m_fLogValue[i];
    m.doc.m_szText[i] = s.m_szLogText[i];
    m.view.m_fFullScaleAt[i] = s.m_fLogFullScale[i];
    m.view.m_nUnitAt[i] = s.m_nLogUnit[i];
    m.view.m_strUnitAt[i] = kUnits[s.m_nLogUnit[i]].name;
    m.view.m_fToPsiAt[i] = kUnits[s.m_nLogUnit[i]].toPsi;
  }
  m.view.m_nSample = n;
  m.view.m_strStartTime = s.m_strLogStart;
  m.view.m_strEndTime = s.m_strLogEnd;
  m.view.m_nStartHour = s.m_nLogStartHour;
  m.view.m_nStartMin = s.m_nLogStartMin;
  m.view.m_nStartSec = s.m_nLogStartSec;
  m.view.m_nSampleIntervalMs = s.m_nLogIntervalMs;
  m.view.m_timeStart = 1700000000;
  if (n > 0) {
    m.view.m_nUnit = s.m_nLogUnit[n - 1];
    m.view.m_fFullScale = kUnits[m.view.m_nUnit].fullScale;
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
  PV_FUZZ_CHECK(s.m_nLogCount >= 0 && s.m_nLogCount <= kMaxLoggerRecords);
  PV_FUZZ_CHECK(s.m_bLogLoaded == 1);

  LoggerFileRows rows(s);
  PV_FUZZ_CHECK(rows.size() == s.m_nLogCount);
  BuildTextTable(rows);
  BuildSpreadsheet(rows);
  BuildCsv(rows);
  LoggerFileJson(s);
  LoggerFileSummary(s);

  AppModel& m = reusable.fresh();
  reusable.touchSamples(s.m_nLogCount);
  LoadAsRun(m, s);
  const std::vector<std::uint8_t> once = EncodeDataLoggerFile(m);
  auto again = DecodeDataLoggerFile(once);
  PV_FUZZ_CHECK(again.ok());
  const LoggerStore& t = again.value().store;
  PV_FUZZ_CHECK(again.value().trailingBytes == 0);
  PV_FUZZ_CHECK(t.m_nLogCount == s.m_nLogCount);
  const auto n = static_cast<std::size_t>(s.m_nLogCount);
  PV_FUZZ_CHECK(std::memcmp(t.m_fLogValue.data(), s.m_fLogValue.data(), n * sizeof(float)) == 0);
  PV_FUZZ_CHECK(std::memcmp(t.m_fLogFullScale.data(), s.m_fLogFullScale.data(), n * sizeof(float)) == 0);
  PV_FUZZ_CHECK(std::memcmp(t.m_szLogText.data(), s.m_szLogText.data(), n * sizeof(SampleText)) == 0);
  PV_FUZZ_CHECK(std::memcmp(t.m_nLogUnit.data(), s.m_nLogUnit.data(), n) == 0);
  PV_FUZZ_CHECK(t.m_nLogStartHour == s.m_nLogStartHour && t.m_nLogStartMin == s.m_nLogStartMin &&
                t.m_nLogStartSec == s.m_nLogStartSec && t.m_nLogIntervalMs == s.m_nLogIntervalMs);
  LoadAsRun(m, t);
  PV_FUZZ_CHECK(EncodeDataLoggerFile(m) == once);

  // The live store holds at most kMaxSamples; a full file is shown as a full run.
  m.view.m_nSample = std::min(m.view.m_nSample, kMaxSamples);
  fuzz::PaintAndCheck(m, 1000, 700);
  fuzz::PaintAndCheck(m, 300, 200);
  reusable.note();
  return 0;
}
