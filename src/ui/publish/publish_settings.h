// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's publishing settings as the configuration file keeps them (section
// "Publish"). The password is never among them: it comes from the credentials file
// named here, only its owner may read, or from the environment.
#include <optional>
#include <string>

#include "publish/mqtt_publisher.h"

namespace pv::ui {

struct WindowPublishSettings {
  bool enabled = false;
  std::string brokerUrl;        // mqtt://host[:port] or mqtts://host[:port]
  std::string topicPrefix;      // empty: pneuvista/<host name>/<meter id>
  bool everySample = false;     // each sample of a run instead of every frame
  int qos = 0;                  // the readings' quality of service, 0 or 1
  std::string caFile;           // with mqtts: the authority of the broker's certificate
  std::string credentialsFile;  // user name and password lines; empty: the environment

  bool operator==(const WindowPublishSettings&) const = default;
};

WindowPublishSettings ReadWindowPublishSettings(const std::string& configPath);
// Returns an error text, empty on success.
std::string WriteWindowPublishSettings(const std::string& configPath, const WindowPublishSettings& settings);

// Why the settings cannot be used as they are typed; empty when they can. The files
// named are looked at only when the publisher is made.
std::string WindowPublishSettingsProblem(const WindowPublishSettings& settings);

// The publisher's settings for the meter known as meterName ("demo", a device path);
// nullopt with the reason in *problem when the broker, the prefix, the authority or the
// credentials cannot be used.
std::optional<PublisherSettings> PublisherSettingsFor(const WindowPublishSettings& settings,
                                                      const std::string& meterName, std::string* problem);

}  // namespace pv::ui
