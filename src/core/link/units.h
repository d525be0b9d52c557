// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's eleven pressure units, one row each: the exact single-precision constants
// the whole program scales and converts by, and how a reading and the unit's name are
// shown and written. A new unit is one new row.
#include <array>
#include <cstdint>
#include <string_view>

namespace pv {

// How many characters of a reading's six (the sign and the meter's five) are shown on
// the panel and written to the tables. Units with large numbers keep fewer while the
// magnitude is small, so that the display keeps its width; from 100 up (and for a
// reading that is no number) all six are kept.
struct ReadingChars {
  int belowTen;      // -10 <= v < 10
  int belowHundred;  // 10 <= v < 100 or -100 <= v < -10
};

inline constexpr int kReadingTextChars = 6;

// What is drawn beside a unit's name. A squared unit (ounces per square inch, kilograms
// per square centimetre) carries a superscript 2 wherever its name is shown, and a "2"
// appended in the tables. The panel labels of the water-column units ("inH") are
// completed to "inH2O" by a subscript 2 and an "O"; their names already spell it out.
enum class MarkKind : std::uint8_t { None, Squared, Water };

struct UnitMark {
  MarkKind kind = MarkKind::None;
  int panelDx = 0;   // front panel: the "2" this far right of where the label starts
  int panelODx = 0;  // front panel, water units: the "O" this far right of the label
  int graphDx = 0;   // logger graph, squared units: the "2" this far right of the name
};

struct UnitInfo {
  std::string_view name;   // stored with each sample, written to files
  std::string_view label;  // what the front panel draws
  float toPsi;             // multiplies a reading in this unit to give psi
  float fullScale;         // 52 psi in this unit; charts scale by it
  int resolution;          // steps per unit a received reading is cut to
  ReadingChars chars;      // characters of the reading text shown and written
  bool difBlank;           // a written DIF prefix is set off from the reading by a blank
  UnitMark mark;
};

inline constexpr int kUnitCount = 11;
inline constexpr int kUnitPsi = 2;

// clang-format off
inline constexpr std::array<UnitInfo, kUnitCount> kUnits{{
    {"bar",   "bar",  14.5348835f,   3.5776f,     1000, {6, 6}, false, {}},
    {"ozin",  "ozin", 0.0625f,       832.0f,      100,  {5, 6}, true,  {MarkKind::Squared, 35, 0, 27}},
    {"psi",   "psi",  1.0f,          52.0f,       1000, {6, 6}, true,  {}},
    {"inHg",  "inHg", 4.91159153f,   10.5872002f, 1000, {6, 6}, true,  {}},
    {"mbar",  "mbar", 0.0145053668f, 3585.91992f, 10,   {4, 5}, true,  {}},
    {"mmHg",  "mmHg", 0.0193423592f, 2688.3999f,  10,   {4, 5}, true,  {}},
    {"kPa",   "kPa",  0.14505367f,   358.488007f, 100,  {5, 6}, true,  {}},
    {"kgcm",  "kgcm", 14.2450142f,   3.66079998f, 1000, {6, 6}, true,  {MarkKind::Squared, 45, 0, 33}},
    {"inH2O", "inH",  0.0361532904f, 1438.31995f, 100,  {4, 5}, true,  {MarkKind::Water, 28, 35, 0}},
    {"ftH2O", "ftH",  0.433651358f,  119.912003f, 100,  {5, 6}, true,  {MarkKind::Water, 25, 31, 0}},
    {"cmH2O", "cmH",  0.0142247509f, 3656.63989f, 10,   {4, 5}, true,  {MarkKind::Water, 40, 45, 0}},
}};
// clang-format on

constexpr bool IsUnitCode(int code) { return code >= 0 && code < kUnitCount; }

// The row of a unit by its name or by its panel label; nullptr for any other text.
constexpr const UnitInfo* UnitNamed(std::string_view name) {
  for (const UnitInfo& u : kUnits)
    if (u.name == name) return &u;
  return nullptr;
}

constexpr const UnitInfo* UnitLabelled(std::string_view label) {
  for (const UnitInfo& u : kUnits)
    if (u.label == label) return &u;
  return nullptr;
}

// Whether the unit of that name carries the superscript 2.
constexpr bool IsSquaredUnit(std::string_view name) {
  const UnitInfo* u = UnitNamed(name);
  return u && u->mark.kind == MarkKind::Squared;
}

// The decimals of the meter's five characters: one per factor of ten of the resolution.
constexpr int Decimals(const UnitInfo& u) {
  int decimals = 0;
  for (int r = u.resolution; r >= 10; r /= 10) ++decimals;
  return decimals;
}

// How many characters of a reading's text are shown and written, from its unit and
// value; a code outside the table keeps all six.
constexpr int ShownReadingChars(int unitCode, float value) {
  if (!IsUnitCode(unitCode)) return kReadingTextChars;
  const ReadingChars& c = kUnits[unitCode].chars;
  if (value >= -10.0f && value < 10.0f) return c.belowTen;
  if ((value >= 10.0f && value < 100.0f) || (value >= -100.0f && value < -10.0f)) return c.belowHundred;
  return kReadingTextChars;
}

namespace units_detail {
constexpr bool RowsAreSound() {
  for (std::size_t i = 0; i < kUnits.size(); ++i) {
    const UnitInfo& u = kUnits[i];
    if (UnitNamed(u.name) != &u || UnitLabelled(u.label) != &u) return false;  // lookups must be unique
    for (int c : {u.chars.belowTen, u.chars.belowHundred})
      if (c < 1 || c > kReadingTextChars) return false;
  }
  return true;
}
}  // namespace units_detail
static_assert(units_detail::RowsAreSound(), "unit names and labels are unique, widths fit the text");

// Error samples: the meter's range errors are stored as exactly +5.1 / -5.1 psi.
inline constexpr float kErrorHigh = 5.1f;
inline constexpr float kErrorLow = -5.1f;
inline constexpr float kErrorFullScale = 52.0f;
inline constexpr float kErrorToPsi = 1.0f;

// 0 for an ordinary sample, 1 for "ERR1" (+5.1), 2 for "ERR2" (-5.1); the second
// number is the sample's factor to psi (live store) or full scale (logger file).
constexpr int ErrorKind(float value, float marker, float markerOfError) {
  if (marker != markerOfError) return 0;
  if (value == kErrorHigh) return 1;
  if (value == kErrorLow) return 2;
  return 0;
}

}  // namespace pv
