// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli convert: a data-logger file as the text table, the spreadsheet export,
// the workbook and CSV, by the same rules as the program's Save and Export Excel.
#include <ctime>
#include <span>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "files/atomic_save.h"
#include "files/csv_table.h"
#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/sample_rows.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "files/workbook.h"
#include "holdtest/hold_record.h"
#include "holdtest/hold_sidecar.h"
#include "text_format.h"

namespace pv::cli {
namespace {

// The hold test saved beside the data file goes into the workbook with the run, when it
// belongs to this run: recomputed from the samples and its stored inputs, never copied.
// A record of another run, one that cannot be read and a stored verdict that the samples
// do not give are each said on stderr.
std::optional<HoldTestFile> HoldTestBeside(const std::string& input, std::span<const std::uint8_t> data,
                                           const LoggerStore& store, std::ostream& err) {
  const std::string note = "pneuvista-cli: note: " + HoldTestPathFor(input) + ": ";
  SidecarRead read = ReadHoldTestBeside(input, data);
  if (!read.test) {
    if (!read.problem.empty())
      err << ShownText(note + read.problem + "; the workbook is written without it") << "\n";
    return std::nullopt;
  }
  HoldTestFile test = *std::move(read.test);
  std::optional<std::int64_t> startUtc;
  if (test.run) startUtc = ParseIsoDateTime(test.run->startDateTime);
  const HoldOutcome outcome = AnalyseHold(LoggerFileRows(store, startUtc), store.intervalMs / 1000, test.criteria);
  if (outcome.error != HoldError::None) {
    err << ShownText(note + "the test cannot be recomputed: " + outcome.message + "; the workbook is written without it")
        << "\n";
    return std::nullopt;
  }
  if (outcome.result.passed != test.result.passed || outcome.result.reasons != test.result.reasons) {
    err << ShownText(note + "the record says " + (test.result.passed ? "PASSED" : "NOT PASSED") +
                     ", the samples give " + (outcome.result.passed ? "PASSED" : "NOT PASSED") +
                     "; the workbook has the samples' verdict")
        << "\n";
  }
  test.result = outcome.result;
  return test;
}

int RunConvert(Args args, std::ostream& /*out*/, std::ostream& err) {
  std::string_view input;
  std::optional<std::string> txt, xls, xlsx, csv;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    std::optional<std::string>* target = a == "--txt"   ? &txt
                                         : a == "--xls" ? &xls
                                         : a == "--xlsx" ? &xlsx
                                         : a == "--csv" ? &csv
                                                        : nullptr;
    if (target) {
      if (i + 1 >= args.size())
        return UsageError(err, kConvertCommand, std::string(a) + " needs a file name");
      *target = std::string(args[++i]);
    } else if (a.starts_with("-") && a != "-") {
      return UsageError(err, kConvertCommand, "unknown option '" + std::string(a) + "'");
    } else if (input.empty()) {
      input = a;
    } else {
      return UsageError(err, kConvertCommand, "more than one input file given");
    }
  }
  if (input.empty()) return UsageError(err, kConvertCommand, "no input file given");
  if (!txt && !xls && !xlsx && !csv)
    return UsageError(err, kConvertCommand, "no output given (--txt, --xls, --xlsx or --csv)");

  auto bytes = ReadWholeFile(std::string(input));
  if (!bytes) return Fail(err, kExitBadFile, bytes.error().message);
  auto loaded = DecodeDataLoggerFile(bytes.value());
  if (!loaded) return Fail(err, kExitBadFile, std::string(input) + ": " + loaded.error().message);
  if (loaded.value().trailingBytes > 0) {
    err << "pneuvista-cli: note: " << input << ": " << loaded.value().trailingBytes
        << " bytes after the last record ignored\n";
  }

  const LoggerStore& store = loaded.value().store;
  // A record bound to this file tells its date, which every output then carries.
  const std::optional<HoldTestFile> holdTest =
      xlsx ? HoldTestBeside(std::string(input), bytes.value(), store, err) : std::nullopt;
  std::optional<std::int64_t> startUtc;
  if (holdTest && holdTest->run) startUtc = ParseIsoDateTime(holdTest->run->startDateTime);
  const LoggerFileRows rows(store, startUtc);
  std::vector<std::string> contents;
  std::vector<FileToWrite> files;
  contents.reserve(4);
  if (txt) files.emplace_back(*txt, contents.emplace_back(BuildTextTable(rows)));
  if (xls) files.emplace_back(*xls, contents.emplace_back(BuildSpreadsheet(rows)));
  if (xlsx) {
    // The file keeps no date: without a record that tells it, the document gets no
    // creation time of the run.
    const std::time_t runStart = rows.size() > 0 && rows.row(0).dated ? static_cast<std::time_t>(*startUtc) : 0;
    auto book = BuildWorkbook(rows, runStart, FolderOf(*xlsx), holdTest ? &*holdTest : nullptr);
    if (!book) return Fail(err, kExitBadFile, *xlsx + ": " + book.error().message);
    files.emplace_back(*xlsx, contents.emplace_back(book.value().begin(), book.value().end()));
  }
  if (csv) files.emplace_back(*csv, contents.emplace_back(BuildCsv(rows)));
  const FileStatus saved = SaveFilesAtomically(files);
  if (!saved) return Fail(err, kExitBadFile, saved.error().message);
  return kExitOk;
}

}  // namespace

const CliCommand kConvertCommand{
    "convert", "convert FILE.KvtDat [--txt OUT.txt] [--xls OUT.xls] [--xlsx OUT.xlsx] [--csv OUT.csv]",
    "Write the records as text table, spreadsheet, workbook and/or CSV (records taken as not relative).",
    RunConvert,
    "  --txt OUT.txt    the text table, as Save writes it beside the data file\n"
    "  --xls OUT.xls    the spreadsheet, as Export Excel writes it\n"
    "  --xlsx OUT.xlsx  the workbook with its Pressure Graph chart, as Export Excel writes it;\n"
    "                   a hold test saved beside the file (NAME.holdtest.json) adds its sheet,\n"
    "                   recomputed from the samples and the record's stored inputs; a record\n"
    "                   of another run is left out, and a stored verdict that the samples do\n"
    "                   not give is said on standard error\n"
    "  --csv OUT.csv    comma-separated values, as Export Excel writes them\n"
    "\n"
    "At least one output is needed. The outputs are written as one unit: each is replaced\n"
    "completely or, when one cannot be written, none is touched.\n"
    "\n"
    "exit status: 0 success; 1 the input is missing, unreadable or malformed, or an output\n"
    "cannot be written; 2 wrong usage\n"};

}  // namespace pv::cli
