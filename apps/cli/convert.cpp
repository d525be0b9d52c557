// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli convert: a data-logger file as the text table, the spreadsheet export,
// the workbook and CSV, by the same rules as the program's Save and Export Excel.
#include <filesystem>
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

namespace pv::cli {
namespace {

// The hold test saved beside the data file goes into the workbook with the run; one that
// cannot be read is left out, and a note says so.
std::optional<HoldTestFile> HoldTestBeside(std::string_view input, std::ostream& err) {
  const std::string path = HoldTestPathFor(input);
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) return std::nullopt;
  std::string why;
  std::optional<HoldTestFile> test;
  if (auto bytes = ReadWholeFile(path)) {
    const std::vector<std::uint8_t>& b = bytes.value();
    test = ParseHoldTestJson(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), &why);
  } else {
    why = bytes.error().message;
  }
  if (!test)
    err << "pneuvista-cli: note: " << path << ": " << why << "; the workbook is written without it\n";
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

  auto loaded = LoadDataLoggerFile(std::string(input));
  if (!loaded) return Fail(err, kExitBadFile, loaded.error().message);
  if (loaded.value().trailingBytes > 0) {
    err << "pneuvista-cli: note: " << input << ": " << loaded.value().trailingBytes
        << " bytes after the last record ignored\n";
  }

  const LoggerFileRows rows(loaded.value().store);
  std::vector<std::string> contents;
  std::vector<FileToWrite> files;
  contents.reserve(4);
  if (txt) files.emplace_back(*txt, contents.emplace_back(BuildTextTable(rows)));
  if (xls) files.emplace_back(*xls, contents.emplace_back(BuildSpreadsheet(rows)));
  if (xlsx) {
    // The file keeps no date: the document gets no creation time of the run.
    const std::optional<HoldTestFile> holdTest = HoldTestBeside(input, err);
    auto book = BuildWorkbook(rows, 0, FolderOf(*xlsx), holdTest ? &*holdTest : nullptr);
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
    "                   a hold test saved beside the file (NAME.holdtest.json) adds its sheet\n"
    "  --csv OUT.csv    comma-separated values, as Export Excel writes them\n"
    "\n"
    "At least one output is needed. The outputs are written as one unit: each is replaced\n"
    "completely or, when one cannot be written, none is touched.\n"
    "\n"
    "exit status: 0 success; 1 the input is missing, unreadable or malformed, or an output\n"
    "cannot be written; 2 wrong usage\n"};

}  // namespace pv::cli
