// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The workbook's "Hold test" sheet: the test's record, its result and its checkpoints,
// the same content as the printed test record, as cells another program can read.
#include <xlsxwriter.h>

#include <string_view>

#include "holdtest/hold_record.h"

namespace pv {

inline constexpr std::string_view kWorkbookHoldSheet = "Hold test";

// Adds the sheet to the workbook, after the sheets already there; the first error the
// library reported, if any.
lxw_error AddHoldTestSheet(lxw_workbook* book, const HoldTestFile& test);

}  // namespace pv
