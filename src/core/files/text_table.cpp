// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/text_table.h"

#include <algorithm>

#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

std::string_view ErrorWord(int errorKind, bool relative) {
  static constexpr std::string_view kWords[2][2] = {{"Error1", "Error2"}, {"Error3", "Error4"}};
  return kWords[relative ? 1 : 0][errorKind == 1 ? 0 : 1];
}

}  // namespace

std::string DataText(const SampleRow& row, DataStyle style) {
  if (row.errorKind != 0) return std::string(ErrorWord(row.errorKind, row.relative));
  const auto k = static_cast<std::size_t>(ShownReadingChars(row.unitCode, row.value));
  // The text holds no terminator, but a byte of zero read from a file still ends it.
  std::string_view text(row.text.data(), row.text.size());
  text = text.substr(0, std::min(k, text.find('\0')));
  if (!row.relative) return std::string(text);
  std::string out = style == DataStyle::TextTable ? "DIF" : "D";
  if (!IsUnitCode(row.unitCode) || kUnits[row.unitCode].difBlank) out += ' ';
  out.append(k - text.size(), ' ');  // "%4.4s" and its kin right-align a short text
  out += text;
  return out;
}

std::string UnitText(const SampleRow& row) {
  if (row.errorKind != 0) return {};
  std::string unit(row.unitName);
  if (IsSquaredUnit(unit)) unit += '2';
  return unit;
}

std::string TextTableHeader() {
  return "      NO              DATA              UNIT           TIME  \r\n";
}

std::string TextTableLine(int number, const SampleRow& row) {
  const std::string no = std::to_string(number);
  return Format("  %5s          %9s           %7s           %8s  \r\n", no.c_str(),
                DataText(row, DataStyle::TextTable).c_str(), UnitText(row).c_str(), row.time.c_str());
}

std::string BuildTextTable(const SampleRows& rows) {
  std::string out = TextTableHeader();
  const int n = rows.size();
  out.reserve(out.size() + static_cast<std::size_t>(n) * out.size());
  for (int i = 0; i < n; ++i) out += TextTableLine(i + 1, rows.row(i));
  return out;
}

std::string DefaultSaveName(std::time_t now, std::string_view intervalText) {
  std::string name = FormatLocalTime(now, "%y-%m-%d %H.%M.%S. ");
  name += intervalText;
  name += "Sec";
  return name;
}

}  // namespace pv
