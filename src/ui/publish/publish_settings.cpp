// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/publish/publish_settings.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/config_file.h"

namespace pv::ui {
namespace {

constexpr const char* kSection = "Publish";
constexpr const char* kEnabled = "Enabled";
constexpr const char* kBroker = "Broker";
constexpr const char* kTopic = "Topic";
constexpr const char* kEvery = "Every";
constexpr const char* kQos = "QoS";
constexpr const char* kCa = "TlsCa";
constexpr const char* kCredentials = "CredentialsFile";

std::string HostName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return "localhost";
  return host;
}

}  // namespace

WindowPublishSettings ReadWindowPublishSettings(const std::string& configPath) {
  auto values = ReadConfigSection(configPath, kSection, {kEnabled, kBroker, kTopic, kEvery, kQos, kCa, kCredentials});
  WindowPublishSettings s;
  s.enabled = values[kEnabled] == "1";
  s.brokerUrl = values[kBroker];
  s.topicPrefix = values[kTopic];
  s.everySample = values[kEvery] == "sample";
  s.qos = values[kQos] == "1" ? 1 : 0;
  s.caFile = values[kCa];
  s.credentialsFile = values[kCredentials];
  return s;
}

std::string WriteWindowPublishSettings(const std::string& configPath, const WindowPublishSettings& s) {
  return WriteConfigSection(configPath, kSection,
                            {{kEnabled, s.enabled ? "1" : "0"},
                             {kBroker, s.brokerUrl},
                             {kTopic, s.topicPrefix},
                             {kEvery, s.everySample ? "sample" : "frame"},
                             {kQos, std::to_string(s.qos)},
                             {kCa, s.caFile},
                             {kCredentials, s.credentialsFile}});
}

std::string WindowPublishSettingsProblem(const WindowPublishSettings& s) {
  if (!s.enabled) return {};
  std::string problem;
  const auto broker = ParseBrokerUrl(s.brokerUrl, &problem);
  if (!broker) return problem;
  if (!s.topicPrefix.empty()) {
    if (problem = TopicPrefixProblem(s.topicPrefix); !problem.empty()) return problem;
  }
  if (!s.caFile.empty() && !broker->tls) return "a certificate authority needs an mqtts:// broker";
  return {};
}

std::optional<PublisherSettings> PublisherSettingsFor(const WindowPublishSettings& s, const std::string& meterName,
                                                      std::string* problem) {
  if (*problem = WindowPublishSettingsProblem(s); !problem->empty()) return std::nullopt;
  PublisherSettings settings;
  settings.broker = *ParseBrokerUrl(s.brokerUrl, problem);
  if (!s.caFile.empty()) {
    if (::access(s.caFile.c_str(), R_OK) != 0) {
      *problem = s.caFile + ": " + std::strerror(errno);
      return std::nullopt;
    }
    settings.caFile = s.caFile;
  }
  settings.topics.prefix = s.topicPrefix.empty() ? DefaultTopicPrefix(HostName(), meterName) : s.topicPrefix;
  if (!s.credentialsFile.empty()) {
    settings.credentials = ReadCredentialsFile(s.credentialsFile, problem);
    if (!settings.credentials) return std::nullopt;
  } else {
    settings.credentials = CredentialsFromEnvironment([](const char* name) { return std::getenv(name); });
  }
  return settings;
}

}  // namespace pv::ui
