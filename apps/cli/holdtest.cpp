// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli holdtest: did a saved run hold its pressure over a window? The same
// analysis as the window's Hold Test, printed as labelled lines or as JSON.
#include <QGuiApplication>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"
#include "holdtest/hold_text.h"
#include "holdtest_args.h"
#include "ui/print/hold_record_pdf.h"

namespace pv::cli {
namespace {

constexpr int kExitNotPassed = 4;

constexpr std::string_view kDetails =
    "  --from T              the window starts at the first sample at or after T\n"
    "  --to T                and ends at the last sample at or before T\n"
    "  --duration SECONDS    or this long after --from (the run's start without --from)\n"
    "  --allowed-percent X   the allowed change, in percent of the start pressure\n"
    "  --allowed X           or as an amount in the run's unit (needed when the start is 0\n"
    "                        or below)\n"
    "  --minimum P           no reading in the window may be below P\n"
    "  --checkpoints K       the window's equal steps, 2 to 8 (4)\n"
    "  --record FIELDS.json  the test record's fields (test_id, system_tested, location,\n"
    "                        test_medium, operator, witness, instrument, serial_number,\n"
    "                        calibration_due, start_temperature, end_temperature, notes)\n"
    "  --json                the result as one JSON object\n"
    "  --pdf OUT.pdf         also write the one-page Pressure Test Record\n"
    "\n"
    "T is seconds from the run's start (90) or a time of day (11:21:30). Without --from\n"
    "and --to the window is the whole run.\n"
    "\n"
    "The test passes when the change in its direction is within the allowed change (a\n"
    "change of less than one count of the start reading is stable and holds), no reading\n"
    "is below the minimum and no error sample lies in the window.\n"
    "\n"
    "exit status: 0 passed; 4 not passed; 1 the file or the record cannot be read, or the\n"
    "PDF cannot be written; 2 wrong usage (also a window outside the run, a percentage\n"
    "with a start of 0 or below, no criterion given)\n";

std::optional<HoldRecord> ReadRecord(const std::string& path, std::string* error) {
  auto bytes = ReadWholeFile(path, 1u << 20);
  if (!bytes) {
    *error = bytes.error().message;
    return std::nullopt;
  }
  const std::vector<std::uint8_t>& b = bytes.value();
  std::string reason;
  auto record =
      ParseHoldRecordJson(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), &reason);
  if (!record) *error = path + ": not a test record: " + reason;
  return record;
}

// The record page is drawn through the ui's print path, as the windows print it.
int WriteRecordPage(const std::string& input, const LoggerStore& store, const HoldTestFile& test,
                    const std::string& pdf, std::ostream& err) {
  // Printing needs fonts, hence a GUI application; without a display it runs offscreen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pneuvista-cli";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const LoggerFileRows rows(store);
  const HoldPageInput page{test, rows, std::filesystem::path(input).filename().string()};
  QString error;
  if (!ui::WriteHoldRecordPdf(QString::fromStdString(pdf), page, std::time(nullptr), &error))
    return Fail(err, kExitBadFile, error.toStdString());
  return kExitOk;
}

void PrintPlain(const HoldTestFile& test, bool withRecord, std::ostream& out) {
  if (withRecord) {
    for (const HoldRecordField& f : kHoldRecordFields)
      if (!(test.record.*f.field).empty()) out << f.label << ": " << test.record.*f.field << "\n";
  }
  for (const std::string& line : HoldReportLines(test.result)) out << line << "\n";
}

int RunHoldTest(Args args, std::ostream& out, std::ostream& err) {
  HoldTestArgs a;
  if (std::string problem = ParseHoldTestArgs(args, a); !problem.empty())
    return UsageError(err, kHoldTestCommand, problem);

  std::optional<HoldRecord> record;
  if (!a.recordPath.empty()) {
    std::string error;
    if (!(record = ReadRecord(a.recordPath, &error))) return Fail(err, kExitBadFile, error);
  }
  auto loaded = LoadDataLoggerFile(a.path);
  if (!loaded) return Fail(err, kExitBadFile, loaded.error().message);
  const LoggerStore& store = loaded.value().store;

  HoldTestFile test;
  test.criteria = {0, -1, *a.allowedKind, a.allowed, a.minimum, a.checkpoints};
  if (std::string problem = ChooseWindow(a, store, test.criteria); !problem.empty())
    return UsageError(err, kHoldTestCommand, problem);
  const HoldOutcome outcome = AnalyseHold(LoggerFileRows(store), store.intervalMs / 1000, test.criteria);
  if (outcome.error == HoldError::NoValidSample) return Fail(err, kExitNotPassed, outcome.message);
  if (outcome.error != HoldError::None) return UsageError(err, kHoldTestCommand, outcome.message);
  test.result = outcome.result;
  if (record) test.record = *record;

  if (a.json) {
    out << HoldResultJson(test.result, record ? &test.record : nullptr);
  } else {
    PrintPlain(test, record.has_value(), out);
  }
  out.flush();
  if (!out) return Fail(err, kExitBadFile, "cannot write the output");
  if (a.pdf) {
    if (const int status = WriteRecordPage(a.path, store, test, *a.pdf, err); status != kExitOk)
      return status;
  }
  return test.result.passed ? kExitOk : kExitNotPassed;
}

}  // namespace

const CliCommand kHoldTestCommand{
    "holdtest",
    "holdtest FILE.KvtDat [--from T] [--to T | --duration SECONDS] (--allowed-percent X | --allowed X) "
    "[--minimum P] [--checkpoints K] [--record FIELDS.json] [--json] [--pdf OUT.pdf]",
    "Decide whether a saved run held its pressure over a window, as the Hold Test panel does.", RunHoldTest,
    kDetails};

}  // namespace pv::cli
