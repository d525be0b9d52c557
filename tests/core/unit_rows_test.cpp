// SPDX-License-Identifier: GPL-3.0-or-later
// Every row of the unit table, through every consumer of its reading width, DIF prefix,
// squared mark and decimals: the panel's reading, the text table and spreadsheet cells,
// and the simulated meter's characters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "files/text_table.h"
#include "link/units.h"
#include "live_fixtures.h"
#include "run_fixture.h"
#include "sim/meter_model.h"

namespace pv {
namespace {

struct UnitExpect {
  const char* name;
  int belowTen, belowHundred;  // characters of the six shown
  bool difBlank;
  const char* unitCell;
  const char* meterChars;  // the simulated meter's five characters for 1.5
};

// clang-format off
const UnitExpect kExpected[] = {
    {"bar",   6, 6, false, "bar",   "1.500"},
    {"ozin",  5, 6, true,  "ozin2", "01.50"},
    {"psi",   6, 6, true,  "psi",   "1.500"},
    {"inHg",  6, 6, true,  "inHg",  "1.500"},
    {"mbar",  4, 5, true,  "mbar",  "001.5"},
    {"mmHg",  4, 5, true,  "mmHg",  "001.5"},
    {"kPa",   5, 6, true,  "kPa",   "01.50"},
    {"kgcm",  6, 6, true,  "kgcm2", "1.500"},
    {"inH2O", 4, 5, true,  "inH2O", "01.50"},
    {"ftH2O", 5, 6, true,  "ftH2O", "01.50"},
    {"cmH2O", 4, 5, true,  "cmH2O", "001.5"},
};
// clang-format on

int Expected(const UnitExpect& e, int band) {
  return band == 0 ? e.belowTen : band == 1 ? e.belowHundred : 6;
}

TEST(UnitRows, EveryRowHasItsExpectation) {
  ASSERT_EQ(std::size(kExpected), static_cast<std::size_t>(kUnitCount));
  for (int u = 0; u < kUnitCount; ++u) EXPECT_EQ(kUnits[u].name, kExpected[u].name);
}

TEST(UnitRows, TablesWriteTheUnitsWidthDifPrefixAndSquaredMark) {
  struct Value {
    float v;
    int band;  // 0 below ten, 1 below a hundred, 2 beyond
  };
  const Value values[] = {{-100.5f, 2}, {-100.0f, 1}, {-10.5f, 1}, {-10.0f, 0}, {0.0f, 0},
                          {9.99f, 0},   {10.0f, 1},   {99.9f, 1},  {100.0f, 2}, {NAN, 2}};
  const std::string text = "+12345";
  for (int u = 0; u < kUnitCount; ++u) {
    const UnitExpect& e = kExpected[u];
    SCOPED_TRACE(e.name);
    auto m = test::MakeRun(1);
    for (const Value& value : values) {
      test::PutSample(*m, 0, {value.v, text, u});
      const SampleRow row = LiveRunRows(*m).row(0);
      const std::string shown = text.substr(0, Expected(e, value.band));
      EXPECT_EQ(DataText(row, DataStyle::TextTable), shown) << value.v;
      EXPECT_EQ(DataText(row, DataStyle::Spreadsheet), shown) << value.v;
      EXPECT_EQ(UnitText(row), e.unitCell);
    }
    test::PutSample(*m, 0, {5.0f, text, u, true});
    const SampleRow relative = LiveRunRows(*m).row(0);
    const std::string blank = e.difBlank ? " " : "";
    EXPECT_EQ(DataText(relative, DataStyle::TextTable), "DIF" + blank + text.substr(0, e.belowTen));
    EXPECT_EQ(DataText(relative, DataStyle::Spreadsheet), "D" + blank + text.substr(0, e.belowTen));
  }
}

TEST(UnitRows, ThePanelShowsTheUnitsWidthAndLabel) {
  const std::pair<const char*, int> magnitudes[] = {{"5.000", 0}, {"50.00", 1}, {"500.0", 2}};
  for (int u = 0; u < kUnitCount; ++u) {
    const UnitExpect& e = kExpected[u];
    SCOPED_TRACE(e.name);
    for (const auto& [chars, band] : magnitudes) {
      AppModel m;
      test::Feed(m, test::ReadingBytes(u, 0, 0, chars));
      EXPECT_EQ(m.panel.reading, (std::string("+") + chars).substr(0, Expected(e, band)));
      EXPECT_EQ(m.panel.unit, kUnits[u].label);
    }
  }
}

TEST(UnitRows, TheSimulatedMeterSendsTheUnitsDecimals) {
  for (int u = 0; u < kUnitCount; ++u)
    EXPECT_EQ(MeterModel::FormatMagnitude(1.5f, u), kExpected[u].meterChars) << kExpected[u].name;
}

}  // namespace
}  // namespace pv
