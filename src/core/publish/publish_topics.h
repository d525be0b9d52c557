// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a bench's messages go on the broker: one prefix per meter, and under it the
// topics a collector subscribes to.
#include <string>
#include <string_view>

namespace pv {

struct PublishTopics {
  std::string prefix;  // "pneuvista/bench-4/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"

  std::string reading() const { return prefix + "/reading"; }
  std::string status() const { return prefix + "/status"; }
  std::string run() const { return prefix + "/run"; }
  std::string holdTest() const { return prefix + "/holdtest"; }
};

// A name made fit for one level of a topic: the level separator, the wildcards and
// anything but printable ASCII become '_'.
std::string TopicLevel(std::string_view name);

// The meter's name on the broker: the port's stable /dev/serial/by-id/ name when the
// device is one, otherwise the device path below /dev ("/dev/ttyUSB0" -> "ttyUSB0").
std::string MeterTopicId(std::string_view devicePath);

// "pneuvista/<host name>/<meter id>".
std::string DefaultTopicPrefix(std::string_view hostName, std::string_view devicePath);

// Why a prefix the user typed cannot be published to; empty when it can.
std::string TopicPrefixProblem(std::string_view prefix);

}  // namespace pv
