// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli: the meter companion's files from the command line.
#include <iostream>
#include <string_view>
#include <vector>

#include "cli_command.h"
#include "qt_notices.h"
#include "pneuvista_version.h"

namespace pv::cli {
namespace {

const CliCommand* const kCommands[] = {
    &kInfoCommand,
    &kConvertCommand,
    &kPrintCommand,
    &kRecordCommand,
    &kRecoverCommand,
    &kMonitorCommand,
    &kPortsCommand,
    &kHoldTestCommand,
    &kVerifyCommand,
};

void PrintUsage(std::ostream& out) {
  // One "or:" line per command: help2man makes the man page's synopsis of them.
  out << "Usage: pneuvista-cli COMMAND [ARGUMENTS]\n";
  for (const CliCommand* c : kCommands) out << "  or:  pneuvista-cli " << c->synopsis << "\n";
  out << "  or:  pneuvista-cli COMMAND --help\n  or:  pneuvista-cli --version\n"
         "\nThe pressure meter companion's data-logger files from a terminal: information, conversion,\n"
         "printing, recording, a live stream of readings, finding the meter, hold tests and checking\n"
         "their records.\n\ncommands:\n";
  for (const CliCommand* c : kCommands) out << "  " << c->synopsis << "\n      " << c->description << "\n";
  out << "\nexit status: 0 success, 1 missing, unreadable or malformed input or an output that cannot be\n"
         "written, 2 wrong usage, 3 record, monitor: the meter stopped answering or never answered,\n"
         "4 holdtest: the test did not pass; verify: the record or its data file differs\n";
}

bool AsksForHelp(Args args) {
  for (std::string_view a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

// "COMMAND --help": the usage, what the command does and its details, on standard output.
int PrintCommandHelp(std::ostream& out, const CliCommand& command) {
  out << "Usage: pneuvista-cli " << command.synopsis << "\n\n" << command.description << "\n";
  if (!command.details.empty()) out << "\n" << command.details;
  out.flush();
  return out ? kExitOk : kExitBadFile;
}

}  // namespace

int Fail(std::ostream& err, int code, std::string_view message) {
  err << "pneuvista-cli: " << message << "\n";
  return code;
}

int UsageError(std::ostream& err, const CliCommand& command, std::string_view problem) {
  err << "pneuvista-cli: " << problem << "\nUsage: pneuvista-cli " << command.synopsis << "\n";
  return kExitUsage;
}

}  // namespace pv::cli

int main(int argc, char** argv) {
  using namespace pv::cli;
  // Every command that starts Qt (print, holdtest --pdf, monitor, record) keeps its
  // notice about a missing runtime folder off the terminal.
  pv::DropRuntimeDirNotice();
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "pneuvista-cli " << pneuvista::kVersion << "\n";
    return kExitOk;
  }
  for (const CliCommand* c : kCommands) {
    if (c->name != args[0]) continue;
    const Args rest = Args(args).subspan(1);
    return AsksForHelp(rest) ? PrintCommandHelp(std::cout, *c) : c->run(rest, std::cout, std::cerr);
  }
  std::cerr << "pneuvista-cli: unknown command '" << args[0] << "'\n";
  PrintUsage(std::cerr);
  return kExitUsage;
}
