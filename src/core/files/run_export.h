#pragma once
// Export of the current run in the format its file name asks for (export_format.h):
// the spreadsheet, the workbook or CSV, written through the atomic save so that a
// failing disk never leaves a half-written file in place of a good one.
#include <string>

#include "app_model.h"
#include "files/file_result.h"

namespace pv {

// A run without samples writes nothing.
FileStatus ExportRun(const AppModel& model, const std::string& path);

}  // namespace pv
