#pragma once
// Save of the current run, written through the atomic save so that a
// failing disk never leaves a half-written file in place of a good one.
#include <string>

#include "app_model.h"
#include "files/file_result.h"

namespace pv {

// The data-logger file at dataPath and its text table beside it, as one unit.
FileStatus SaveRun(const AppModel& model, const std::string& dataPath);

// SaveRun, or the data-logger file alone when withTextTable is false.
FileStatus SaveRunFiles(const AppModel& model, const std::string& dataPath, bool withTextTable);

}  // namespace pv
