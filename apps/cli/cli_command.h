// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The subcommands of pneuvista-cli. Each lives in its own file and is listed once in
// the table of main.cpp; a new subcommand adds a file and a line there.
#include <iosfwd>
#include <span>
#include <string_view>

namespace pv::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadFile = 1;  // missing, unreadable or malformed input, unwritable output
inline constexpr int kExitUsage = 2;

using Args = std::span<const std::string_view>;  // the arguments after the subcommand's name

struct CliCommand {
  std::string_view name;
  std::string_view synopsis;     // "info FILE.KvtDat [--json]"
  std::string_view description;  // one line
  int (*run)(Args args, std::ostream& out, std::ostream& err);
  std::string_view details;  // the rest of "COMMAND --help": options, exit status
};

extern const CliCommand kInfoCommand;
extern const CliCommand kConvertCommand;
extern const CliCommand kPrintCommand;
extern const CliCommand kRecordCommand;
extern const CliCommand kRecoverCommand;
extern const CliCommand kMonitorCommand;
extern const CliCommand kPortsCommand;
extern const CliCommand kHoldTestCommand;
extern const CliCommand kVerifyCommand;

// Prints "pneuvista-cli: " and the message as one line on err; returns the exit code.
int Fail(std::ostream& err, int code, std::string_view message);

// Prints the usage of one subcommand on err and returns kExitUsage.
int UsageError(std::ostream& err, const CliCommand& command, std::string_view problem);

}  // namespace pv::cli
