// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program needs of a serial port. The platform layer implements it on a
// real device; tests use a recording fake. Every failure is a PortError, whose kind
// callers decide on; its text is the system's, for people.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pv {

enum class PortErrorKind {
  None,         // no failure (a port's last failure after a good open)
  NotFound,     // no such device, or no device for the port number
  Busy,         // another program holds the device
  Permission,   // the user may not open the device
  Gone,         // the open device went away (unplugged, hung up)
  NotOpen,      // reading or writing a closed port
  AlreadyOpen,  // opening, or choosing another port, while open
  Invalid,      // a setting the port cannot take
  Other,
};

class PortError : public std::runtime_error {
 public:
  PortError(PortErrorKind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
  PortErrorKind kind() const { return kind_; }

 private:
  PortErrorKind kind_;
};

enum class Parity { None, Even, Odd };

// The line's framing. The meter has one: kLineSettings.
struct LineSettings {
  int baud = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  int stopBits = 1;
  friend bool operator==(const LineSettings&, const LineSettings&) = default;
};
inline constexpr LineSettings kLineSettings{};  // 9600 8N1

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual void selectPort(int number) = 0;  // takes effect at the next open
  virtual void setLineSettings(const LineSettings& settings) = 0;
  virtual void setReceiveThreshold(int bytes) = 0;  // notify once this many wait
  virtual void setReadLength(int bytes) = 0;        // 0: a read returns everything
  virtual void discardInput() = 0;
  virtual void open() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual void write(std::span<const std::uint8_t> bytes) = 0;
  virtual std::vector<std::uint8_t> readAll() = 0;
  // True when the last event the port announced was "data received".
  virtual bool lastEventIsDataReceived() const = 0;
  // The kind of the latest failure; None once an open succeeded.
  virtual PortErrorKind lastFailure() const = 0;
};

}  // namespace pv
