// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's wire protocol: inbound 11-byte reading and error frames, outbound
// three-byte command frames.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

namespace pv {

inline constexpr std::uint8_t kFrameStart = 0xAA;
inline constexpr std::uint8_t kReadingFrame = 0x56;
inline constexpr std::uint8_t kErrorFrame = 0x57;
inline constexpr int kFrameLength = 11;  // also the receive threshold

inline constexpr std::uint8_t kStatusBatteryLow = 0x01;
inline constexpr std::uint8_t kStatusRelative = 0x02;
inline constexpr std::uint8_t kStatusNegative = 0x04;
inline constexpr std::uint8_t kStatusHold = 0x20;
inline constexpr std::uint8_t kStatusModeMask = 0x22;

struct Reading {
  std::uint8_t unit = 0;    // 0..10; anything else keeps the current unit
  std::uint8_t rec = 0;     // 0 = not recording, 1..4 = REC
  std::uint8_t status = 0;  // see the kStatus bits
  std::array<char, 5> magnitude{};

  bool negative() const { return (status & kStatusNegative) != 0; }
  bool batteryLow() const { return (status & kStatusBatteryLow) != 0; }
  std::uint8_t mode() const { return status & kStatusModeMask; }
  bool recording() const { return rec >= 1 && rec <= 4; }
  bool plain() const { return rec == 0 && mode() == 0; }
};

struct MeterError {
  std::uint8_t code = 0;  // 0x10..0x13 are ERR1..ERR4
  // 1..4 for ERR1..ERR4, 0 for any other code.
  int number() const { return code >= 0x10 && code <= 0x13 ? code - 0x10 + 1 : 0; }
};

using Decoded = std::variant<std::monostate, Reading, MeterError>;

// Decodes the first frame of one received block. There is no search for a header:
// a block that does not start with a frame header yields nothing. Bytes beyond the
// end of the block are never read, so a block too short for its frame yields nothing.
Decoded DecodeBlock(std::span<const std::uint8_t> block);

enum class Command : std::uint8_t {
  Connect = 0x01,
  Disconnect = 0x02,
  PowerOff = 0x03,
  Hold = 0x05,
  Unhold = 0x06,
  Rec = 0x07,
  Unrec = 0x08,
  Light = 0x0C,
  Zero = 0x0D,
  Units = 0x0E,
  Dif = 0x0F,
  Undif = 0x10,
  Run = 0x11,
  Exit = 0x12,
};

inline constexpr std::uint8_t kCommandPrefix0 = 0x55;
inline constexpr std::uint8_t kCommandPrefix1 = 0xAA;

constexpr std::array<std::uint8_t, 3> CommandFrame(Command c) {
  return {kCommandPrefix0, kCommandPrefix1, static_cast<std::uint8_t>(c)};
}

// One row per command: its name in logs and how many times it is written in a row
// (3, or 6 as two runs of 3).
struct CommandInfo {
  Command command;
  std::string_view name;
  int repeat;
};

inline constexpr std::array<CommandInfo, 14> kCommands{{
    {Command::Connect, "CONNECT", 3},
    {Command::Disconnect, "DISCONNECT", 6},
    {Command::PowerOff, "POWEROFF", 3},
    {Command::Hold, "HOLD", 6},
    {Command::Unhold, "UNHOLD", 6},
    {Command::Rec, "REC", 3},
    {Command::Unrec, "UNREC", 3},
    {Command::Light, "LIGHT", 6},
    {Command::Zero, "ZERO", 6},
    {Command::Units, "UNITS", 6},
    {Command::Dif, "DIF", 6},
    {Command::Undif, "UNDIF", 6},
    {Command::Run, "RUN", 3},
    {Command::Exit, "EXIT", 3},
}};

// The row of a command code; nullptr for a code that is no command.
constexpr const CommandInfo* FindCommand(std::uint8_t code) {
  for (const CommandInfo& c : kCommands)
    if (static_cast<std::uint8_t>(c.command) == code) return &c;
  return nullptr;
}

int RepeatCount(Command c);

}  // namespace pv
