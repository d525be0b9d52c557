// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the broker is and who we are to it. The password never comes from the command
// line (it would show in the process list) nor from the configuration file: it comes
// from a file only its owner can read, or from the environment.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

inline constexpr int kMqttPort = 1883;
inline constexpr int kMqttTlsPort = 8883;

struct BrokerAddress {
  std::string host;
  int port = kMqttPort;
  bool tls = false;
};

// "mqtt://host[:port]" or "mqtts://host[:port]" (an IPv6 address in brackets); nullopt
// with the reason in *problem otherwise.
std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url, std::string* problem);

struct BrokerCredentials {
  std::string userName;
  std::string password;
};

// The environment variables read when no credentials file is named.
inline constexpr const char* kMqttUserVariable = "PNEUVISTA_MQTT_USERNAME";
inline constexpr const char* kMqttPasswordVariable = "PNEUVISTA_MQTT_PASSWORD";

// A file of two lines, the user name and the password. Refused when its group or
// anyone else may read or write it, or when it has no user name.
std::optional<BrokerCredentials> ReadCredentialsFile(const std::string& path, std::string* problem);

// The user name and password from the environment; nullopt when no user name is set.
using EnvironmentLookup = std::function<const char*(const char*)>;
std::optional<BrokerCredentials> CredentialsFromEnvironment(const EnvironmentLookup& lookup);

}  // namespace pv
