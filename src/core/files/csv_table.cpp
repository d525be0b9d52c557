// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/csv_table.h"

#include <charconv>
#include <cmath>
#include <ctime>

#include "files/text_table.h"
#include "files/windows1252.h"
#include "text_format.h"

namespace pv {

std::string IsoLocalTime(const SampleRow& row) {
  if (!row.dated) return row.time;
  // Local wall-clock seconds broken down as if they were UTC give the local calendar.
  const std::time_t wallClock = static_cast<std::time_t>(row.localSeconds);
  std::tm t{};
  if (!gmtime_r(&wallClock, &t)) return row.time;
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &t);
  return std::string(buffer, n);
}

std::string BuildCsv(const SampleRows& rows) {
  std::string out = "NO,TIME,VALUE,UNIT,DATA\r\n";
  const int n = rows.size();
  out.reserve(out.size() + static_cast<std::size_t>(n) * 52);
  for (int i = 0; i < n; ++i) {
    const SampleRow r = rows.row(i);
    out += std::to_string(i + 1);
    out += ',';
    out += IsoLocalTime(r);
    out += ',';
    if (r.errorKind == 0 && std::isfinite(r.value)) {
      char buffer[32];
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, r.value).ptr;
      out.append(buffer, end);
    }
    out += ',';
    out += CsvField(UnitText(r));
    out += ',';
    out += CsvField(Windows1252ToUtf8(DataText(r, DataStyle::TextTable)));
    out += "\r\n";
  }
  return out;
}

}  // namespace pv
