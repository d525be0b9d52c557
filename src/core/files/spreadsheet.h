// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spreadsheet export (".xls"): tab-separated text with four columns that spreadsheet
// programs open as a sheet. Every line, the header included, ends in a tab and CR LF.
#include <ctime>
#include <string>

#include "files/sample_rows.h"

namespace pv {

std::string SpreadsheetHeader();
// NO, DATA (with a leading blank so the sheet keeps sign and digits as text), UNIT, TIME.
std::string SpreadsheetLine(int number, const SampleRow& row);
std::string BuildSpreadsheet(const SampleRows& rows);

// Export's suggested name: year, month, day, hour, minute and second of now in local
// time as "%d-%d-%d %d-%d-%d.xls", none zero-padded ("2025-3-4 9-5-7.xls").
std::string DefaultExportName(std::time_t now);

}  // namespace pv
