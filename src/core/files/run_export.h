// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Export of the current run in the format its file name asks for (export_format.h):
// the spreadsheet, the workbook or CSV, written through the atomic save so that a
// failing disk never leaves a half-written file in place of a good one.
#include <string>

#include "app_model.h"
#include "files/file_result.h"
#include "holdtest/hold_record.h"

namespace pv {

// A run without samples writes nothing. A hold test taken over the run goes into the
// workbook as its own sheet; the other formats hold the samples only.
FileStatus ExportRun(const AppModel& model, const std::string& path, const HoldTestFile* holdTest = nullptr);

}  // namespace pv
