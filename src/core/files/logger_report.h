// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts that describe a loaded data-logger file outside the program: a JSON object, a
// readable summary. Independent of the process locale.
#include <string>

#include "files/sample_rows.h"
#include "logger/logger_store.h"

namespace pv {

// One JSON object: count, header, start, end, unit, start_hour, start_min, start_sec,
// interval_ms and records [{value, full_scale, text, unit}]. Numbers as "%.9g" would
// give them; values that are not finite become null, which JSON can hold.
std::string LoggerFileJson(const LoggerStore& store);

// A few lines for a person: times, interval, unit, record and error-record counts. The
// file's texts are shown in UTF-8 with control characters as \\xHH, so that none reaches
// the terminal.
std::string LoggerFileSummary(const LoggerStore& store);

}  // namespace pv
