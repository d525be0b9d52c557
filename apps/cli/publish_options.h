// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The MQTT options that `monitor` and `record` share, and the publisher they drive:
// its state changes are said on standard error, once each, from the event loop.
#include <QObject>
#include <memory>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "publish/mqtt_publisher.h"
#include "publish/publish_payloads.h"

namespace pv::cli {

struct PublishArgs {
  std::string url;  // empty: nothing is published
  std::string topic;
  bool everySample = false;
  int qos = 0;
  std::string caFile;
  std::string credentialsFile;
};

// Takes args[i] (and its value) when it is one of the MQTT options; false when it is
// not one. A bad value leaves the reason in *problem.
bool ParsePublishArg(Args args, std::size_t& i, PublishArgs& p, std::string* problem);

// Why the options given cannot go together; empty when they can.
std::string PublishArgsProblem(const PublishArgs& p);

// The options' text for "COMMAND --help", a literal to join to each command's own.
#define PV_CLI_PUBLISH_OPTIONS \
    "  --mqtt URL          also publish to an MQTT broker: mqtt://HOST[:PORT] (1883) or\n" \
    "                      mqtts://HOST[:PORT] (TLS, 8883)\n" \
    "  --topic PREFIX      the topics' prefix (pneuvista/HOST NAME/METER by default)\n" \
    "  --every frame|sample  publish every frame the meter sends (the default) or, with\n" \
    "                      record, only each sample of the run\n" \
    "  --qos 0|1           the readings' quality of service (0 by default)\n" \
    "  --tls-ca FILE       with mqtts: the authority the broker's certificate must come from\n" \
    "  --credentials FILE  user name and password, one a line, in a file only its owner can\n" \
    "                      read; without it PNEUVISTA_MQTT_USERNAME and PNEUVISTA_MQTT_PASSWORD\n" \
    "                      are used when set\n" \
    "The broker being away never holds the meter up: up to 10000 messages wait for it (the\n" \
    "oldest are dropped first) and it is tried again after 1 s, doubling to 60 s. A broker\n" \
    "that refuses the credentials or the certificate ends publishing with one message; the\n" \
    "readings go on. See docs/mqtt.md for the topics and messages.\n"

// The publisher's settings for the meter on devicePath; nullopt with the reason in
// *problem when the broker, the prefix or the credentials cannot be used.
std::optional<PublisherSettings> PublisherSettingsOf(const PublishArgs& p, const std::string& devicePath,
                                                     std::string* problem);

class CliPublisher : public QObject {
  Q_OBJECT

 public:
  CliPublisher(PublisherSettings settings, int readingQos, std::ostream& err);
  ~CliPublisher() override;

  void reading(const StreamReading& reading, const std::string& time);
  void runEvent(RunEvent event);
  // Sends what waits (a few seconds at most) and says how many were not delivered.
  void finish();

 private:
  void said(const PublisherStatus& status);

  std::ostream& err_;
  std::unique_ptr<MqttPublisher> publisher_;
  PublishTopics topics_;
  int readingQos_ = 0;
  PublisherState last_ = PublisherState::Connecting;
  bool everConnected_ = false;
};

// The publisher monitor and record use: none without --mqtt; without one and with the
// reason in *problem when the options cannot be used.
std::unique_ptr<CliPublisher> StartCliPublisher(const PublishArgs& p, const std::string& meterName,
                                                std::ostream& err, std::string* problem);

}  // namespace pv::cli
