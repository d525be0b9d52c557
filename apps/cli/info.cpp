// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli info: what a data-logger file holds, as JSON or as a short summary.
#include <ostream>
#include <string>

#include "cli_command.h"
#include "files/datalogger_file.h"
#include "files/logger_report.h"

namespace pv::cli {
namespace {

int RunInfo(Args args, std::ostream& out, std::ostream& err) {
  std::string_view path;
  bool json = false;
  for (std::string_view a : args) {
    if (a == "--json") {
      json = true;
    } else if (a.starts_with("-") && a != "-") {
      return UsageError(err, kInfoCommand, "unknown option '" + std::string(a) + "'");
    } else if (path.empty()) {
      path = a;
    } else {
      return UsageError(err, kInfoCommand, "more than one file given");
    }
  }
  if (path.empty()) return UsageError(err, kInfoCommand, "no file given");

  auto loaded = LoadDataLoggerFile(std::string(path));
  if (!loaded) return Fail(err, kExitBadFile, loaded.error().message);
  const DecodedLoggerFile& file = loaded.value();
  if (file.trailingBytes > 0) {
    err << "pneuvista-cli: note: " << path << ": " << file.trailingBytes
        << " bytes after the last record ignored\n";
  }
  if (json) {
    out << LoggerFileJson(file.store);
  } else {
    out << "file:     " << path << "\n" << LoggerFileSummary(file.store);
  }
  out.flush();
  return out ? kExitOk : Fail(err, kExitBadFile, "cannot write the output");
}

}  // namespace

const CliCommand kInfoCommand{
    "info", "info FILE.KvtDat [--json]", "Show what a data-logger file holds; --json prints every record.",
    RunInfo,
    "  --json  every record as JSON instead of the short summary\n"
    "\n"
    "exit status: 0 success; 1 the file is missing, unreadable or malformed; 2 wrong usage\n"};

}  // namespace pv::cli
