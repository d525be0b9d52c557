// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options of pneuvista-cli holdtest, and the window they choose in a data file.
#include <optional>
#include <string>

#include "cli_command.h"
#include "holdtest/hold_test.h"
#include "logger/logger_store.h"

namespace pv::cli {

// --from / --to: seconds from the run's start ("90") or a time of day ("11:21:30").
struct RunTime {
  bool timeOfDay = false;
  double seconds = 0.0;
};

struct HoldTestArgs {
  std::string path;
  std::optional<RunTime> from, to;
  std::optional<double> duration;
  std::optional<AllowedKind> allowedKind;
  double allowed = 0.0;
  std::optional<double> minimum;
  int checkpoints = kDefaultCheckpoints;
  std::string recordPath;
  bool json = false;
  std::optional<std::string> pdf;
  bool save = false;  // keep the test beside the run
};

// Returns the problem, empty when the arguments are usable.
std::string ParseHoldTestArgs(Args args, HoldTestArgs& parsed);

// The window's first and last sample in the file's records: from the first sample at or
// after --from to the last at or before --to (or --from + --duration); the whole run by
// default. Returns the problem, empty when the window holds at least one sample (the
// analysis refuses a window of one).
std::string ChooseWindow(const HoldTestArgs& args, const LoggerStore& store, HoldCriteria& criteria);

}  // namespace pv::cli
