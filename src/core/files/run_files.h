// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Save of the current run, written through the atomic save so that a
// failing disk never leaves a half-written file in place of a good one.
#include <string>

#include "app_model.h"
#include "files/file_result.h"

namespace pv {
struct HoldTestFile;
}

namespace pv {

// The data-logger file at dataPath and its text table beside it, as one unit, with
// NAME.holdtest.json when a hold test goes with the run: bound to the bytes written (their
// SHA-256, the run's start and sample count), as the next revision of a record of those
// same bytes. A run saved without a test removes a record of another run that an earlier
// save of that name left.
FileStatus SaveRun(const AppModel& model, const std::string& dataPath, const HoldTestFile* holdTest = nullptr);

// SaveRun without a test, or the data-logger file alone when withTextTable is false; a
// record of another run beside it is removed either way.
FileStatus SaveRunFiles(const AppModel& model, const std::string& dataPath, bool withTextTable);

}  // namespace pv
