// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The CSV export (".csv"): the run's samples as comma-separated values that any
// spreadsheet or script reads the same way, whatever the process locale.
#include <string>

#include "files/sample_rows.h"

namespace pv {

// Header "NO,TIME,VALUE,UNIT,DATA", then one CR LF line per sample, fields quoted as
// RFC 4180 asks when they hold a comma, a quote or a line break. TIME is ISO 8601 local
// time: date and time of a live run ("2025-03-14T10:22:05"), the time of day alone for a
// data-logger file, which keeps no date. VALUE is the shortest text that reads back as
// the same float, with '.' as decimal separator; error samples have an empty VALUE and
// UNIT and the error word as DATA.
std::string BuildCsv(const SampleRows& rows);

// TIME of one row as the CSV writes it.
std::string IsoLocalTime(const SampleRow& row);

}  // namespace pv
