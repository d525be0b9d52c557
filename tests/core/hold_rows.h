// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run written as the meter's readings, for the hold test's tables: "1.250 E 1.249",
// where "E" is an error sample and "psi:14.50" a reading in another unit.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "files/sample_rows.h"
#include "link/units.h"

namespace pv::test {

class ReadingRows final : public SampleRows {
 public:
  // Samples every intervalSeconds from 10:00:00.
  ReadingRows(const char* unit, const std::string& readings, int intervalSeconds) {
    std::istringstream in(readings);
    std::string token;
    for (int i = 0; in >> token; ++i) {
      SampleRow row;
      std::string name = unit;
      if (const auto colon = token.find(':'); colon != std::string::npos) {
        name = token.substr(0, colon);
        token.erase(0, colon + 1);
      }
      row.unitCode = static_cast<int>(UnitNamed(name) - kUnits.data());
      row.unitName = kUnits[static_cast<std::size_t>(row.unitCode)].name;
      const bool error = token == "E";
      row.value = error ? kErrorHigh : std::strtof(token.c_str(), nullptr);
      row.errorKind = error ? 1 : 0;
      const std::string text = (error ? "+OL" : (token[0] == '-' ? token : "+" + token)) + "      ";
      for (std::size_t k = 0; k < row.text.size(); ++k) row.text[k] = text[k];
      row.localSeconds = 36000 + std::int64_t{i} * intervalSeconds;
      row.time = FormatTimeOfDay(row.localSeconds);
      rows_.push_back(row);
    }
  }
  int size() const override { return static_cast<int>(rows_.size()); }
  SampleRow row(int i) const override { return rows_.at(static_cast<std::size_t>(i)); }

 private:
  std::vector<SampleRow> rows_;
};

}  // namespace pv::test
