// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/spreadsheet.h"

#include "files/text_table.h"
#include "text_format.h"

namespace pv {

std::string SpreadsheetHeader() {
  return "NO\tDATA\tUNIT\tTIME\t\r\n";
}

std::string SpreadsheetLine(int number, const SampleRow& row) {
  std::string line = std::to_string(number);
  line += "\t ";
  line += DataText(row, DataStyle::Spreadsheet);
  line += '\t';
  line += UnitText(row);
  line += '\t';
  line += row.time;
  line += "\t\r\n";
  return line;
}

std::string BuildSpreadsheet(const SampleRows& rows) {
  std::string out = SpreadsheetHeader();
  const int n = rows.size();
  out.reserve(static_cast<std::size_t>(n) * 36 + out.size());
  for (int i = 0; i < n; ++i) out += SpreadsheetLine(i + 1, rows.row(i));
  return out;
}

std::string DefaultExportName(std::time_t now) {
  std::tm t{};
  if (!localtime_r(&now, &t)) return {};
  return Format("%d-%d-%d %d-%d-%d.xls", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                t.tm_sec);
}

}  // namespace pv
