#pragma once
// The meter's eleven pressure units, with the exact single-precision constants the
// whole program scales and converts by.
#include <array>
#include <cstdint>
#include <string_view>

namespace pv {

struct UnitInfo {
  std::string_view name;   // stored with each sample, written to files
  std::string_view label;  // what the front panel draws
  float toPsi;             // multiplies a reading in this unit to give psi
  float fullScale;         // 52 psi in this unit; charts scale by it
  int resolution;          // steps per unit a received reading is cut to
};

inline constexpr int kUnitCount = 11;
inline constexpr int kUnitPsi = 2;

inline constexpr std::array<UnitInfo, kUnitCount> kUnits{{
    {"bar", "bar", 14.5348835f, 3.5776f, 1000},
    {"ozin", "ozin", 0.0625f, 832.0f, 100},
    {"psi", "psi", 1.0f, 52.0f, 1000},
    {"inHg", "inHg", 4.91159153f, 10.5872002f, 1000},
    {"mbar", "mbar", 0.0145053668f, 3585.91992f, 10},
    {"mmHg", "mmHg", 0.0193423592f, 2688.3999f, 10},
    {"kPa", "kPa", 0.14505367f, 358.488007f, 100},
    {"kgcm", "kgcm", 14.2450142f, 3.66079998f, 1000},
    {"inH2O", "inH", 0.0361532904f, 1438.31995f, 100},
    {"ftH2O", "ftH", 0.433651358f, 119.912003f, 100},
    {"cmH2O", "cmH", 0.0142247509f, 3656.63989f, 10},
}};

constexpr bool IsUnitCode(int code) { return code >= 0 && code < kUnitCount; }

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
