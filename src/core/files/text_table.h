// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text table (".txt") written beside a data file by Save, and the rules for the
// DATA and UNIT cells that the spreadsheet export shares.
#include <ctime>
#include <string>
#include <string_view>

#include "files/sample_rows.h"

namespace pv {

enum class DataStyle {
  TextTable,    // DIF samples start with "DIF " ("DIF" in bar)
  Spreadsheet,  // DIF samples start with "D " ("D" in bar)
};

// The DATA cell without the spreadsheet's leading blank: an error word ("Error1".."Error4")
// for error samples, else the part of the reading text the unit's row shows, with its
// DIF prefix.
std::string DataText(const SampleRow& row, DataStyle style);

// The UNIT cell: empty for error samples, a squared unit with a "2" ("ozin2", "kgcm2").
std::string UnitText(const SampleRow& row);

// Header and sample lines, each ending in CR LF; number is the 1-based NO column.
std::string TextTableHeader();
std::string TextTableLine(int number, const SampleRow& row);
std::string BuildTextTable(const SampleRows& rows);

// Save's suggested name: "%y-%m-%d %H.%M.%S. " of now in local time, the sample-interval
// text and "Sec", for example "25-03-14 10.22.05. 1Sec".
std::string DefaultSaveName(std::time_t now, std::string_view intervalText);

}  // namespace pv
