// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A serial port that records every operation as text, and can be told to fail at
// the n-th operation, for checking the exact order of port steps.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace pv::test {

class RecordingPort : public SerialPort {
 public:
  std::vector<std::string> log;
  int failAt = -1;  // index in log of the operation that throws
  bool opened = false;
  PortErrorKind failKind = PortErrorKind::Other;  // of the failure at failAt
  bool failed = false;                             // since the last good open
  bool dataEvent = true;
  std::deque<std::vector<std::uint8_t>> incoming;  // one block per readAll

  void selectPort(int n) override { step("select " + std::to_string(n)); }
  void setLineSettings(const LineSettings& s) override {
    const char parity = s.parity == Parity::None ? 'n' : s.parity == Parity::Even ? 'e' : 'o';
    step("settings " + std::to_string(s.baud) + "," + parity + "," + std::to_string(s.dataBits) + "," +
         std::to_string(s.stopBits));
  }
  void setReceiveThreshold(int n) override { step("threshold " + std::to_string(n)); }
  void setReadLength(int n) override { step("readlen " + std::to_string(n)); }
  void discardInput() override { step("discard"); }
  void open() override {
    step("open");
    opened = true;
    failed = false;
  }
  void close() override {
    step("close");
    opened = false;
  }
  bool isOpen() const override { return opened; }
  void write(std::span<const std::uint8_t> bytes) override {
    std::string s = "write";
    for (auto b : bytes) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", b);
      s += hex;
    }
    step(s);
  }
  std::vector<std::uint8_t> readAll() override {
    step("read");
    if (incoming.empty()) return {};
    auto block = incoming.front();
    incoming.pop_front();
    return block;
  }
  bool lastEventIsDataReceived() const override { return dataEvent; }
  PortErrorKind lastFailure() const override { return failed ? failKind : PortErrorKind::None; }

  // The writes only, as "XX" command codes.
  std::vector<std::string> writes() const {
    std::vector<std::string> out;
    for (const auto& s : log)
      if (s.rfind("write 55 AA ", 0) == 0) out.push_back(s.substr(12));
    return out;
  }

 private:
  void step(std::string what) {
    if (static_cast<int>(log.size()) == failAt) {
      log.push_back(what + " !");
      failed = true;
      throw PortError(failKind, "refused");
    }
    log.push_back(std::move(what));
  }
};

}  // namespace pv::test
