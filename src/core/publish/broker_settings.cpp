// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/broker_settings.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

namespace pv {
namespace {

// A credentials file larger than this is not one.
constexpr off_t kMaxCredentialsBytes = 4096;

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

}  // namespace

std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url, std::string* problem) {
  BrokerAddress address;
  const std::string quoted = "'" + std::string(url) + "'";
  if (url.starts_with("mqtt://")) {
    url.remove_prefix(7);
  } else if (url.starts_with("mqtts://")) {
    url.remove_prefix(8);
    address.tls = true;
    address.port = kMqttTlsPort;
  } else {
    *problem = "the broker " + quoted + " is not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]";
    return std::nullopt;
  }
  if (url.ends_with('/')) url.remove_suffix(1);
  std::string_view port;
  if (url.starts_with('[')) {
    const auto close = url.find(']');
    if (close == std::string_view::npos) {
      *problem = "the broker " + quoted + " has an unclosed '['";
      return std::nullopt;
    }
    address.host = url.substr(1, close - 1);
    const std::string_view rest = url.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) {
      *problem = "the broker " + quoted + " has text after its address";
      return std::nullopt;
    }
    if (!rest.empty()) port = rest.substr(1);
  } else {
    const auto colon = url.find(':');
    address.host = url.substr(0, colon);
    if (colon != std::string_view::npos) port = url.substr(colon + 1);
    if (colon != std::string_view::npos && port.empty()) port = "x";  // "host:" has no port
  }
  if (address.host.empty() || address.host.find_first_of("/@?# ") != std::string::npos) {
    *problem = "the broker " + quoted + " has no usable host name";
    return std::nullopt;
  }
  if (!port.empty()) {
    int number = 0;
    const auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (ec != std::errc() || ptr != port.data() + port.size() || number < 1 || number > 65535) {
      *problem = "the broker " + quoted + " has no port number from 1 to 65535";
      return std::nullopt;
    }
    address.port = number;
  }
  return address;
}

std::optional<BrokerCredentials> ReadCredentialsFile(const std::string& path, std::string* problem) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    *problem = path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxCredentialsBytes) {
    *problem = path + ": not a credentials file (two lines: user name, password)";
    return std::nullopt;
  }
  if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    *problem = path + ": others can read or change this password file; make it private with chmod 600";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *problem = path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  BrokerCredentials credentials;
  std::string line;
  if (std::getline(in, line)) credentials.userName = WithoutLineEnd(line);
  if (std::getline(in, line)) credentials.password = WithoutLineEnd(line);
  if (credentials.userName.empty()) {
    *problem = path + ": no user name on its first line";
    return std::nullopt;
  }
  return credentials;
}

std::optional<BrokerCredentials> CredentialsFromEnvironment(const EnvironmentLookup& lookup) {
  const char* user = lookup(kMqttUserVariable);
  if (user == nullptr || *user == '\0') return std::nullopt;
  const char* password = lookup(kMqttPasswordVariable);
  return BrokerCredentials{user, password != nullptr ? password : ""};
}

}  // namespace pv
