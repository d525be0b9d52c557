#pragma once
// What the program needs of a serial port. The platform layer implements it on a
// real device; tests use a recording fake. Every failure is a PortError.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

class PortError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual void selectPort(int number) = 0;             // takes effect at the next open
  virtual void setSettings(std::string_view settings) = 0;  // "9600,n,8,1"
  virtual void setBinaryInput() = 0;
  virtual void setReceiveThreshold(int bytes) = 0;     // notify once this many wait
  virtual void setReadLength(int bytes) = 0;           // 0: a read returns everything
  virtual void discardInput() = 0;
  virtual void open() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual void write(std::span<const std::uint8_t> bytes) = 0;
  virtual std::vector<std::uint8_t> readAll() = 0;
  // True when the last event the port announced was "data received".
  virtual bool lastEventIsDataReceived() const = 0;
};

inline constexpr std::string_view kLineSettings = "9600,n,8,1";

}  // namespace pv
