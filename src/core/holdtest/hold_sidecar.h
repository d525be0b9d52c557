// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test that goes with a saved run, kept beside its data file as
// NAME.holdtest.json: found again when the data file is opened.
#include <optional>
#include <string>

#include "holdtest/hold_record.h"

namespace pv {

// What opening a data file found beside it.
struct SidecarRead {
  std::optional<HoldTestFile> test;  // none when there is no sidecar or it is unreadable
  std::string problem;               // why a sidecar that is there could not be used
};

SidecarRead ReadHoldTestBeside(const std::string& dataPath);

}  // namespace pv
