// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A hand-held pressure meter as a state machine: the keys and link commands it obeys,
// the pressure it measures and the frames it sends. Plain C++ with time passed in, so
// the simulator, the tests and the benchmarks all drive the same meter.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/units.h"

namespace pv {

using MeterFrame = std::array<std::uint8_t, kFrameLength>;

// One stretch of identical command codes in the order they arrived.
struct CommandRun {
  std::uint8_t code = 0;
  int count = 0;
  bool operator==(const CommandRun&) const = default;
};

class MeterModel {
 public:
  // Repeats of one code closer together than this are one key press: the program
  // sends every command three or six times, and a key must act once.
  static constexpr double kRepeatWindowSeconds = 0.25;
  static constexpr std::uint8_t kRecOn = 1;

  explicit MeterModel(std::uint32_t seed = 1);

  // Feeds bytes received from the program. Command frames (0x55 0xAA code) may be
  // split over calls or joined in one; other bytes are skipped. Returns the codes
  // of the frames completed by these bytes.
  std::vector<std::uint8_t> handleCommandBytes(std::span<const std::uint8_t> bytes, double now);

  // The frame the meter sends at time now: a reading, or ERR1/ERR2 when the pressure
  // is beyond full scale. None while the meter is silent.
  bool nextFrame(double now, MeterFrame& frame);

  // Pressure in psi before zero, DIF and HOLD: a slow sine around a few psi plus a
  // little noise. Each call draws new noise.
  float measuredPsi(double now);
  // What the display shows in psi (zero, DIF and HOLD applied), signed.
  float displayedPsi(double now);

  // Frame builders.
  static MeterFrame ReadingFrame(int unit, std::uint8_t rec, std::uint8_t status, float magnitude);
  static MeterFrame ErrorFrame(std::uint8_t code);
  // The five display characters of a magnitude in a unit: truncated to the unit's
  // resolution, leading zeros to five characters, fewer decimals when the integer
  // part needs the room ("1.234" psi, "12.34" kPa, "123.4" mbar, "03585" mbar).
  static std::string FormatMagnitude(float magnitude, int unit);

  int unit() const { return unit_; }
  void setUnit(int unit);
  bool hold() const { return hold_; }
  bool dif() const { return dif_; }
  float difReferencePsi() const { return difRefPsi_; }
  std::uint8_t rec() const { return rec_; }
  float zeroOffsetPsi() const { return zeroPsi_; }
  bool batteryLow() const { return batteryLow_; }
  void setBatteryLow(bool low) { batteryLow_ = low; }
  bool light() const { return light_; }
  bool awake() const { return awake_; }
  void setAwake(bool awake) { awake_ = awake; }
  std::uint8_t status() const;

  // The pressure curve: centre + amplitude * sin(2 pi t / period) + noise, in psi.
  void setCurve(float centrePsi, float amplitudePsi, double periodSeconds, float noisePsi);

  const std::vector<std::uint8_t>& commandLog() const { return log_; }
  int commandCount(Command c) const;
  std::vector<CommandRun> commandRuns() const;
  void clearCommandLog() { log_.clear(); }

 private:
  void apply(std::uint8_t code, double now);
  float noise();

  int unit_ = kUnitPsi;
  bool hold_ = false;
  float heldPsi_ = 0.0f;
  bool dif_ = false;
  float difRefPsi_ = 0.0f;
  std::uint8_t rec_ = 0;
  float zeroPsi_ = 0.0f;
  bool batteryLow_ = false;
  bool light_ = false;
  bool awake_ = true;

  float centrePsi_ = 3.0f;
  float amplitudePsi_ = 1.5f;
  double periodSeconds_ = 20.0;
  float noisePsi_ = 0.01f;
  std::uint32_t rng_;

  std::vector<std::uint8_t> pending_;  // start of a command frame split over reads
  std::vector<std::uint8_t> log_;
  std::uint8_t lastCode_ = 0;
  double lastCodeTime_ = -1e9;
};

// The command's name as the meter's manual writes it ("CONNECT"), or "0x.." when unknown.
std::string CommandName(std::uint8_t code);

}  // namespace pv
