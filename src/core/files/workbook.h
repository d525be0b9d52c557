// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The workbook export (".xlsx"): the run's samples as a real spreadsheet, written with
// libxlsxwriter. One sheet with the columns No, Time (a date-time cell shown hh:mm:ss),
// Value (a number in the sample's unit, empty for error samples), Unit and Reading (the
// text the table shows, or the error word), its header row frozen, and a line chart of
// Value over Time beside the table.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_result.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"

namespace pv {

inline constexpr std::string_view kWorkbookSheet = "Run";
inline constexpr std::string_view kWorkbookChartTitle = "Pressure Graph";

// The workbook's bytes, to be written like any other export. runStart, when not 0, is
// the document's creation time. The library's temporary files go to scratchFolder (the
// folder the workbook is saved in; empty: the system's). Each value is the decimal its
// reading shows. A part that could not be written whole fails the build. A failure says
// what could not be done, without a path. A hold test taken over the run adds its
// "Hold test" sheet after the run's.
FileResult<std::vector<std::uint8_t>> BuildWorkbook(const SampleRows& rows, std::time_t runStart,
                                                    const std::string& scratchFolder,
                                                    const HoldTestFile* holdTest = nullptr);

}  // namespace pv
