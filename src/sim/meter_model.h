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

  int unit() const { return m_unit; }
  void setUnit(int unit);
  bool hold() const { return m_hold; }
  bool dif() const { return m_dif; }
  float difReferencePsi() const { return m_difRefPsi; }
  std::uint8_t rec() const { return m_rec; }
  float zeroOffsetPsi() const { return m_zeroPsi; }
  bool batteryLow() const { return m_batteryLow; }
  void setBatteryLow(bool low) { m_batteryLow = low; }
  bool light() const { return m_light; }
  bool awake() const { return m_awake; }
  void setAwake(bool awake) { m_awake = awake; }
  std::uint8_t status() const;

  // The pressure curve: centre + amplitude * sin(2 pi t / period) + noise, in psi.
  void setCurve(float centrePsi, float amplitudePsi, double periodSeconds, float noisePsi);

  const std::vector<std::uint8_t>& commandLog() const { return m_log; }
  int commandCount(Command c) const;
  std::vector<CommandRun> commandRuns() const;
  void clearCommandLog() { m_log.clear(); }

 private:
  void apply(std::uint8_t code, double now);
  float noise();

  int m_unit = kUnitPsi;
  bool m_hold = false;
  float m_heldPsi = 0.0f;
  bool m_dif = false;
  float m_difRefPsi = 0.0f;
  std::uint8_t m_rec = 0;
  float m_zeroPsi = 0.0f;
  bool m_batteryLow = false;
  bool m_light = false;
  bool m_awake = true;

  float m_centrePsi = 3.0f;
  float m_amplitudePsi = 1.5f;
  double m_periodSeconds = 20.0;
  float m_noisePsi = 0.01f;
  std::uint32_t m_rng;

  std::vector<std::uint8_t> m_pending;  // start of a command frame split over reads
  std::vector<std::uint8_t> m_log;
  std::uint8_t m_lastCode = 0;
  double m_lastCodeTime = -1e9;
};

// The command's name as the meter's manual writes it ("CONNECT"), or "0x.." when unknown.
std::string CommandName(std::uint8_t code);

}  // namespace pv
