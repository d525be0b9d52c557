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
#include "holdtest/hold_sidecar.h"
#include "holdtest/hold_text.h"
#include "holdtest_args.h"
#include "text_format.h"
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
    "                        calibration_due, start_temperature, end_temperature, notes,\n"
    "                        ...); a key that names no field is named in a warning\n"
    "  --json                the result as one JSON object\n"
    "  --pdf OUT.pdf         also write the Pressure Test Record (one page, more when\n"
    "                        its texts need them)\n"
    "  --save                keep the test beside the run as FILE.holdtest.json: its next\n"
    "                        revision when one is there (its record fields are kept\n"
    "                        unless --record gives new ones)\n"
    "\n"
    "T is seconds from the run's start (90) or a time of day (11:21:30). Without --from\n"
    "and --to the window is the whole run; it needs at least two samples.\n"
    "\n"
    "The test passes when the change from the window's first to its last valid reading\n"
    "is within the allowed change (a change of less than one count of the first reading\n"
    "is stable and holds), no valid reading leaves the allowed band around the first one\n"
    "(first reading +/- the allowed change), no reading is below the minimum, no error\n"
    "sample lies in the window, and the window holds two valid readings or more.\n"
    "\n"
    "When the record beside the file names this run, its date dates the output. Texts\n"
    "from the files are printed with control characters shown as \\xHH or \\uHHHH.\n"
    "\n"
    "exit status: 0 passed; 4 not passed; 1 the file or the record cannot be read, or the\n"
    "PDF or the saved test cannot be written; 2 wrong usage (also a window outside the run\n"
    "or of one sample, a percentage with a start of 0 or below, no criterion given)\n";

int FailShown(std::ostream& err, int code, std::string_view message) {
  return Fail(err, code, ShownText(message));
}

void Warn(std::ostream& err, std::string_view message) {
  err << "pneuvista-cli: warning: " << ShownText(message) << "\n";
}

std::optional<HoldRecord> ReadRecord(const std::string& path, std::string* error, std::ostream& err) {
  auto bytes = ReadWholeFile(path, kMaxRecordFileBytes);
  if (!bytes) {
    *error = bytes.error().message;
    return std::nullopt;
  }
  const std::vector<std::uint8_t>& b = bytes.value();
  std::string reason;
  std::vector<std::string> unknownKeys;
  auto record = ParseHoldRecordJson(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), &reason,
                                    &unknownKeys);
  if (!record) {
    *error = path + ": not a test record: " + reason;
    return record;
  }
  // A misspelt key would leave its field blank without a word: say which were ignored.
  for (const std::string& key : unknownKeys) Warn(err, path + ": '" + key + "' is no record field; ignored");
  return record;
}

// The record page is drawn through the ui's print path, as the windows print it.
int WriteRecordPage(const std::string& input, const SampleRows& rows, const HoldTestFile& test,
                    const std::string& pdf, std::ostream& err) {
  // Printing needs fonts, hence a GUI application; without a display it runs offscreen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pneuvista-cli";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const HoldPageInput page{test, rows, std::filesystem::path(input).filename().string()};
  QString error;
  if (!ui::WriteHoldRecordPdf(QString::fromStdString(pdf), page, std::time(nullptr), &error))
    return FailShown(err, kExitBadFile, error.toStdString());
  return kExitOk;
}

// Every line goes through the escaper: a field's line break or escape sequence shows as
// text and never starts a line of its own.
void PrintPlain(const HoldTestFile& test, bool withRecord, std::ostream& out) {
  if (withRecord) {
    for (const HoldRecordField& f : kHoldRecordFields)
      if (!(test.record.*f.field).empty())
        out << ShownText(std::string(f.label) + ": " + test.record.*f.field) << "\n";
  }
  for (const std::string& line : HoldReportLines(test.result)) out << ShownText(line) << "\n";
}

// The run's start in UTC, when the record beside the file names this run and tells it.
std::optional<std::int64_t> RunStartOf(const SidecarRead& beside) {
  if (!beside.test || !beside.test->run) return std::nullopt;
  return ParseIsoDateTime(beside.test->run->startDateTime);
}

int RunHoldTest(Args args, std::ostream& out, std::ostream& err) {
  HoldTestArgs a;
  if (std::string problem = ParseHoldTestArgs(args, a); !problem.empty())
    return UsageError(err, kHoldTestCommand, ShownText(problem));

  std::optional<HoldRecord> record;
  if (!a.recordPath.empty()) {
    std::string error;
    if (!(record = ReadRecord(a.recordPath, &error, err))) return FailShown(err, kExitBadFile, error);
  }
  auto bytes = ReadWholeFile(a.path);
  if (!bytes) return FailShown(err, kExitBadFile, bytes.error().message);
  const std::vector<std::uint8_t>& data = bytes.value();
  auto loaded = DecodeDataLoggerFile(data);
  if (!loaded) return FailShown(err, kExitBadFile, a.path + ": " + loaded.error().message);
  const LoggerStore& store = loaded.value().store;
  const SidecarRead beside = ReadHoldTestBeside(a.path, data);
  if (!beside.problem.empty()) Warn(err, beside.problem);
  const LoggerFileRows rows(store, RunStartOf(beside));

  HoldTestFile test;
  test.criteria = {0, -1, *a.allowedKind, a.allowed, a.minimum, a.checkpoints};
  if (std::string problem = ChooseWindow(a, store, test.criteria); !problem.empty())
    return UsageError(err, kHoldTestCommand, problem);
  const HoldOutcome outcome = AnalyseHold(rows, store.intervalMs / 1000, test.criteria);
  if (outcome.error != HoldError::None) return UsageError(err, kHoldTestCommand, outcome.message);
  test.result = outcome.result;
  if (record) {
    test.record = *record;
  } else if (a.save && beside.test) {
    test.record = beside.test->record;
  }

  if (a.json) {
    out << HoldResultJson(test.result, record ? &test.record : nullptr);
  } else {
    PrintPlain(test, record.has_value(), out);
  }
  out.flush();
  if (!out) return Fail(err, kExitBadFile, "cannot write the output");
  if (a.pdf) {
    if (const int status = WriteRecordPage(a.path, rows, test, *a.pdf, err); status != kExitOk) return status;
  }
  if (a.save) {
    if (const FileStatus saved = WriteHoldTestRevision(a.path, data, test); !saved)
      return FailShown(err, kExitBadFile, saved.error().message);
  }
  return test.result.passed ? kExitOk : kExitNotPassed;
}

}  // namespace

const CliCommand kHoldTestCommand{
    "holdtest",
    "holdtest FILE.KvtDat [--from T] [--to T | --duration SECONDS] (--allowed-percent X | --allowed X) "
    "[--minimum P] [--checkpoints K] [--record FIELDS.json] [--json] [--pdf OUT.pdf] [--save]",
    "Decide whether a saved run held its pressure over a window, as the Hold Test panel does.", RunHoldTest,
    kDetails};

}  // namespace pv::cli
