// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/meter_model.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "link/units.h"

namespace pv {
namespace {

constexpr int kMagnitudeChars = 5;
constexpr std::uint8_t kErr1 = 0x10, kErr2 = 0x11, kErr3 = 0x12, kErr4 = 0x13;

}  // namespace

MeterModel::MeterModel(std::uint32_t seed) : rng_(seed ? seed : 1) {}

void MeterModel::setUnit(int unit) {
  if (IsUnitCode(unit)) unit_ = unit;
}

void MeterModel::setCurve(float centrePsi, float amplitudePsi, double periodSeconds, float noisePsi) {
  centrePsi_ = centrePsi;
  amplitudePsi_ = amplitudePsi;
  periodSeconds_ = periodSeconds > 0 ? periodSeconds : 1.0;
  noisePsi_ = noisePsi;
}

float MeterModel::noise() {
  // xorshift32: reproducible from the seed, good enough for a wobbling needle.
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  const float unit = static_cast<float>(rng_) / 4294967296.0f * 2.0f - 1.0f;
  return unit * noisePsi_;
}

float MeterModel::measuredPsi(double now) {
  const double phase = 2.0 * std::numbers::pi * now / periodSeconds_;
  return centrePsi_ + amplitudePsi_ * static_cast<float>(std::sin(phase)) + noise();
}

float MeterModel::displayedPsi(double now) {
  if (hold_) return heldPsi_;
  float psi = measuredPsi(now) - zeroPsi_;
  if (dif_) psi -= difRefPsi_;
  return psi;
}

std::uint8_t MeterModel::status() const {
  std::uint8_t s = 0;
  if (batteryLow_) s |= kStatusBatteryLow;
  if (dif_) s |= kStatusRelative;
  if (hold_) s |= kStatusHold;
  return s;
}

std::string MeterModel::FormatMagnitude(float magnitude, int unit) {
  if (!IsUnitCode(unit)) unit = kUnitPsi;
  double m = std::fabs(static_cast<double>(magnitude));
  if (!std::isfinite(m) || m > 99999.0) m = 99999.0;
  // The relative nudge keeps 1.234f (stored as 1.23399997) from truncating to 1.233.
  m *= 1.0 + 1e-6;
  for (int decimals = Decimals(kUnits[unit]); decimals >= 0; --decimals) {
    const double scale = std::pow(10.0, decimals);
    const auto steps = static_cast<long long>(m * scale);
    const long long whole = steps / static_cast<long long>(scale);
    const long long fraction = steps % static_cast<long long>(scale);
    std::string text = std::to_string(whole);
    if (decimals > 0) {
      std::string digits = std::to_string(fraction);
      text += '.';
      text.append(static_cast<std::size_t>(decimals) - digits.size(), '0');
      text += digits;
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
  if (!awake_) return false;
  const UnitInfo& u = kUnits[unit_];
  const float value = displayedPsi(now) / u.toPsi;
  if (std::fabs(value) > u.fullScale) {
    // Over range: the meter shows ERR1 (upper) or ERR2 (lower), ERR3/ERR4 in DIF.
    const bool high = value > 0;
    frame = ErrorFrame(dif_ ? (high ? kErr3 : kErr4) : (high ? kErr1 : kErr2));
    return true;
  }
  std::uint8_t s = status();
  // A reading that truncates to zero is not shown as negative.
  const std::string text = FormatMagnitude(value, unit_);
  if (value < 0 && text.find_first_not_of("0.") != std::string::npos) s |= kStatusNegative;
  frame = ReadingFrame(unit_, rec_, s, value);
  return true;
}

std::vector<std::uint8_t> MeterModel::handleCommandBytes(std::span<const std::uint8_t> bytes, double now) {
  std::vector<std::uint8_t> codes;
  for (const std::uint8_t b : bytes) {
    pending_.push_back(b);
    // Resynchronise on the two prefix bytes; the pending part is never longer than
    // a frame, so hostile input cannot make it grow.
    if (pending_.size() == 1 && pending_[0] != kCommandPrefix0) pending_.clear();
    if (pending_.size() == 2 && pending_[1] != kCommandPrefix1) {
      pending_.clear();
      if (b == kCommandPrefix0) pending_.push_back(b);
    }
    if (pending_.size() == 3) {
      const std::uint8_t code = pending_[2];
      pending_.clear();
      log_.push_back(code);
      codes.push_back(code);
      const bool repeat = code == lastCode_ && now - lastCodeTime_ < kRepeatWindowSeconds;
      lastCode_ = code;
      lastCodeTime_ = now;
      if (!repeat) apply(code, now);
    }
  }
  return codes;
}

void MeterModel::apply(std::uint8_t code, double now) {
  const auto command = static_cast<Command>(code);
  if (!awake_ && command != Command::Connect) return;  // a meter that is off only listens for CONNECT
  switch (command) {
    case Command::Connect:
      awake_ = true;
      break;
    case Command::Disconnect:
    case Command::PowerOff:
      awake_ = false;
      break;
    case Command::Hold:
      if (!hold_) heldPsi_ = displayedPsi(now);
      hold_ = true;
      break;
    case Command::Unhold:
      hold_ = false;
      break;
    case Command::Rec:
      rec_ = kRecOn;
      break;
    case Command::Unrec:
      rec_ = 0;
      break;
    case Command::Light:
      light_ = !light_;
      break;
    case Command::Zero:
      zeroPsi_ = measuredPsi(now);
      break;
    case Command::Units:
      unit_ = (unit_ + 1) % kUnitCount;
      break;
    case Command::Dif:
      if (!dif_) difRefPsi_ = measuredPsi(now) - zeroPsi_;
      dif_ = true;
      break;
    case Command::Undif:
      dif_ = false;
      break;
    case Command::Run:
    case Command::Exit:
      break;
  }
}

int MeterModel::commandCount(Command c) const {
  int n = 0;
  for (const auto code : log_) n += code == static_cast<std::uint8_t>(c);
  return n;
}

std::vector<CommandRun> MeterModel::commandRuns() const {
  std::vector<CommandRun> runs;
  for (const auto code : log_) {
    if (runs.empty() || runs.back().code != code)
      runs.push_back({code, 1});
    else
      ++runs.back().count;
  }
  return runs;
}

std::string CommandName(std::uint8_t code) {
  if (const CommandInfo* command = FindCommand(code)) return std::string(command->name);
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", code);
  return text;
}

}  // namespace pv
