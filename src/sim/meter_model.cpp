#include "sim/meter_model.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "link/units.h"

namespace pv {
namespace {

constexpr int kMagnitudeChars = 5;
constexpr std::uint8_t kErr1 = 0x10, kErr2 = 0x11, kErr3 = 0x12, kErr4 = 0x13;

int DecimalsFor(int resolution) {
  int decimals = 0;
  for (int r = resolution; r >= 10; r /= 10) ++decimals;
  return decimals;
}

}  // namespace

MeterModel::MeterModel(std::uint32_t seed) : m_rng(seed ? seed : 1) {}

void MeterModel::setUnit(int unit) {
  if (IsUnitCode(unit)) m_unit = unit;
}

void MeterModel::setCurve(float centrePsi, float amplitudePsi, double periodSeconds, float noisePsi) {
  m_centrePsi = centrePsi;
  m_amplitudePsi = amplitudePsi;
  m_periodSeconds = periodSeconds > 0 ? periodSeconds : 1.0;
  m_noisePsi = noisePsi;
}

float MeterModel::noise() {
  // xorshift32: reproducible from the seed, good enough for a wobbling needle.
  m_rng ^= m_rng << 13;
  m_rng ^= m_rng >> 17;
  m_rng ^= m_rng << 5;
  const float unit = static_cast<float>(m_rng) / 4294967296.0f * 2.0f - 1.0f;
  return unit * m_noisePsi;
}

float MeterModel::measuredPsi(double now) {
  const double phase = 2.0 * std::numbers::pi * now / m_periodSeconds;
  return m_centrePsi + m_amplitudePsi * static_cast<float>(std::sin(phase)) + noise();
}

float MeterModel::displayedPsi(double now) {
  if (m_hold) return m_heldPsi;
  float psi = measuredPsi(now) - m_zeroPsi;
  if (m_dif) psi -= m_difRefPsi;
  return psi;
}

std::uint8_t MeterModel::status() const {
  std::uint8_t s = 0;
  if (m_batteryLow) s |= kStatusBatteryLow;
  if (m_dif) s |= kStatusRelative;
  if (m_hold) s |= kStatusHold;
  return s;
}

std::string MeterModel::FormatMagnitude(float magnitude, int unit) {
  if (!IsUnitCode(unit)) unit = kUnitPsi;
  double m = std::fabs(static_cast<double>(magnitude));
  if (!std::isfinite(m) || m > 99999.0) m = 99999.0;
  // The relative nudge keeps 1.234f (stored as 1.23399997) from truncating to 1.233.
  m *= 1.0 + 1e-6;
  for (int decimals = DecimalsFor(kUnits[unit].resolution); decimals >= 0; --decimals) {
    const double scale = std::pow(10.0, decimals);
    const auto steps = static_cast<long long>(m * scale);
    const long long whole = steps / static_cast<long long>(scale);
    const long long fraction = steps % static_cast<long long>(scale);
    std::string text = std::to_string(whole);
    if (decimals > 0) {
      std::string digits = std::to_string(fraction);
      text += "." + std::string(static_cast<std::size_t>(decimals) - digits.size(), '0') + digits;
    }
    if (text.size() <= kMagnitudeChars) return std::string(kMagnitudeChars - text.size(), '0') + text;
  }
  return "99999";
}

MeterFrame MeterModel::ReadingFrame(int unit, std::uint8_t rec, std::uint8_t status, float magnitude) {
  MeterFrame f{};
  f[0] = kFrameStart;
  f[1] = kReadingFrame;
  f[2] = static_cast<std::uint8_t>(unit);
  f[3] = rec;
  f[4] = status;
  const std::string text = FormatMagnitude(magnitude, unit);
  for (int i = 0; i < kMagnitudeChars; ++i) f[5 + i] = static_cast<std::uint8_t>(text[i]);
  f[10] = 0x00;
  return f;
}

MeterFrame MeterModel::ErrorFrame(std::uint8_t code) {
  MeterFrame f{};
  f[0] = kFrameStart;
  f[1] = kErrorFrame;
  f[2] = code;
  return f;
}

bool MeterModel::nextFrame(double now, MeterFrame& frame) {
  if (!m_awake) return false;
  const UnitInfo& u = kUnits[m_unit];
  const float value = displayedPsi(now) / u.toPsi;
  if (std::fabs(value) > u.fullScale) {
    // Over range: the meter shows ERR1 (upper) or ERR2 (lower), ERR3/ERR4 in DIF.
    const bool high = value > 0;
    frame = ErrorFrame(m_dif ? (high ? kErr3 : kErr4) : (high ? kErr1 : kErr2));
    return true;
  }
  std::uint8_t s = status();
  // A reading that truncates to zero is not shown as negative.
  const std::string text = FormatMagnitude(value, m_unit);
  if (value < 0 && text.find_first_not_of("0.") != std::string::npos) s |= kStatusNegative;
  frame = ReadingFrame(m_unit, m_rec, s, value);
  return true;
}

std::vector<std::uint8_t> MeterModel::handleCommandBytes(std::span<const std::uint8_t> bytes, double now) {
  std::vector<std::uint8_t> codes;
  for (const std::uint8_t b : bytes) {
    m_pending.push_back(b);
    // Resynchronise on the two prefix bytes; the pending part is never longer than
    // a frame, so hostile input cannot make it grow.
    if (m_pending.size() == 1 && m_pending[0] != kCommandPrefix0) m_pending.clear();
    if (m_pending.size() == 2 && m_pending[1] != kCommandPrefix1) {
      m_pending.clear();
      if (b == kCommandPrefix0) m_pending.push_back(b);
    }
    if (m_pending.size() == 3) {
      const std::uint8_t code = m_pending[2];
      m_pending.clear();
      m_log.push_back(code);
      codes.push_back(code);
      const bool repeat = code == m_lastCode && now - m_lastCodeTime < kRepeatWindowSeconds;
      m_lastCode = code;
      m_lastCodeTime = now;
      if (!repeat) apply(code, now);
    }
  }
  return codes;
}

void MeterModel::apply(std::uint8_t code, double now) {
  const auto command = static_cast<Command>(code);
  if (!m_awake && command != Command::Connect) return;  // a meter that is off only listens for CONNECT
  switch (command) {
    case Command::Connect:
      m_awake = true;
      break;
    case Command::Disconnect:
    case Command::PowerOff:
      m_awake = false;
      break;
    case Command::Hold:
      if (!m_hold) m_heldPsi = displayedPsi(now);
      m_hold = true;
      break;
    case Command::Unhold:
      m_hold = false;
      break;
    case Command::Rec:
      m_rec = kRecOn;
      break;
    case Command::Unrec:
      m_rec = 0;
      break;
    case Command::Light:
      m_light = !m_light;
      break;
    case Command::Zero:
      m_zeroPsi = measuredPsi(now);
      break;
    case Command::Units:
      m_unit = (m_unit + 1) % kUnitCount;
      break;
    case Command::Dif:
      if (!m_dif) m_difRefPsi = measuredPsi(now) - m_zeroPsi;
      m_dif = true;
      break;
    case Command::Undif:
      m_dif = false;
      break;
    case Command::Run:
    case Command::Exit:
      break;
  }
}

int MeterModel::commandCount(Command c) const {
  int n = 0;
  for (const auto code : m_log) n += code == static_cast<std::uint8_t>(c);
  return n;
}

std::vector<CommandRun> MeterModel::commandRuns() const {
  std::vector<CommandRun> runs;
  for (const auto code : m_log) {
    if (runs.empty() || runs.back().code != code)
      runs.push_back({code, 1});
    else
      ++runs.back().count;
  }
  return runs;
}

std::string CommandName(std::uint8_t code) {
  switch (static_cast<Command>(code)) {
    case Command::Connect:
      return "CONNECT";
    case Command::Disconnect:
      return "DISCONNECT";
    case Command::PowerOff:
      return "POWEROFF";
    case Command::Hold:
      return "HOLD";
    case Command::Unhold:
      return "UNHOLD";
    case Command::Rec:
      return "REC";
    case Command::Unrec:
      return "UNREC";
    case Command::Light:
      return "LIGHT";
    case Command::Zero:
      return "ZERO";
    case Command::Units:
      return "UNITS";
    case Command::Dif:
      return "DIF";
    case Command::Undif:
      return "UNDIF";
    case Command::Run:
      return "RUN";
    case Command::Exit:
      return "EXIT";
  }
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", code);
  return text;
}

}  // namespace pv
