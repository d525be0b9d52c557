// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish_options.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <climits>
#include <cstdlib>

namespace pv::cli {


bool ParsePublishArg(Args args, std::size_t& i, PublishArgs& p, std::string* problem) {
  const std::string_view a = args[i];
  if (a != "--mqtt" && a != "--topic" && a != "--every" && a != "--qos" && a != "--tls-ca" &&
      a != "--credentials")
    return false;
  if (i + 1 >= args.size()) {
    *problem = std::string(a) + " needs a value";
    return true;
  }
  const std::string_view v = args[++i];
  if (a == "--mqtt") {
    p.url = v;
    if (!ParseBrokerUrl(v, problem)) return true;
  } else if (a == "--topic") {
    p.topic = v;
    *problem = TopicPrefixProblem(v);
  } else if (a == "--every") {
    if (v != "frame" && v != "sample") *problem = "--every is frame or sample, not '" + std::string(v) + "'";
    p.everySample = v == "sample";
  } else if (a == "--qos") {
    if (v != "0" && v != "1") *problem = "--qos is 0 or 1, not '" + std::string(v) + "'";
    p.qos = v == "1" ? 1 : 0;
  } else if (a == "--tls-ca") {
    p.caFile = v;
  } else {
    p.credentialsFile = v;
  }
  if (problem->empty() && v.empty()) *problem = std::string(a) + " needs a value";
  return true;
}

std::string PublishArgsProblem(const PublishArgs& p) {
  if (p.url.empty() && (!p.topic.empty() || p.everySample || p.qos != 0 || !p.caFile.empty() ||
                        !p.credentialsFile.empty()))
    return "--topic, --every, --qos, --tls-ca and --credentials go with --mqtt URL";
  return {};
}

std::optional<PublisherSettings> PublisherSettingsOf(const PublishArgs& p, const std::string& devicePath,
                                                     std::string* problem) {
  PublisherSettings settings;
  const auto broker = ParseBrokerUrl(p.url, problem);
  if (!broker) return std::nullopt;
  settings.broker = *broker;
  if (!p.caFile.empty()) {
    if (!broker->tls) {
      *problem = "--tls-ca needs an mqtts:// broker";
      return std::nullopt;
    }
    if (::access(p.caFile.c_str(), R_OK) != 0) {
      *problem = p.caFile + ": " + std::strerror(errno);
      return std::nullopt;
    }
    settings.caFile = p.caFile;
  }
  char host[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "localhost");
  settings.topics.prefix = p.topic.empty() ? DefaultTopicPrefix(host, devicePath) : p.topic;
  if (!p.credentialsFile.empty()) {
    settings.credentials = ReadCredentialsFile(p.credentialsFile, problem);
    if (!settings.credentials) return std::nullopt;
  } else {
    settings.credentials = CredentialsFromEnvironment([](const char* name) { return std::getenv(name); });
  }
  return settings;
}

std::unique_ptr<CliPublisher> StartCliPublisher(const PublishArgs& p, const std::string& meterName,
                                                std::ostream& err, std::string* problem) {
  if (p.url.empty()) return nullptr;
  auto settings = PublisherSettingsOf(p, meterName, problem);
  if (!settings) return nullptr;
  return std::make_unique<CliPublisher>(std::move(*settings), p.qos, err);
}

CliPublisher::CliPublisher(PublisherSettings settings, int readingQos, std::ostream& err)
    : err_(err), topics_(settings.topics), readingQos_(readingQos) {
  // The listener runs on the publisher's thread; the words are written from the event loop.
  publisher_ = std::make_unique<MqttPublisher>(std::move(settings), [this](const PublisherStatus& s) {
    QMetaObject::invokeMethod(this, [this, s] { said(s); }, Qt::QueuedConnection);
  });
  publisher_->start();
}

CliPublisher::~CliPublisher() {
  publisher_->stop(0);
}

void CliPublisher::said(const PublisherStatus& status) {
  const BrokerAddress& broker = publisher_->settings().broker;
  const std::string where = broker.host + ":" + std::to_string(broker.port);
  if (status.state == PublisherState::Reconnecting && last_ != PublisherState::Reconnecting) {
    err_ << "pneuvista-cli: MQTT: " << status.message
         << "; the readings wait for the broker, which is tried again\n";
  } else if (status.state == PublisherState::Connected && last_ == PublisherState::Reconnecting) {
    err_ << "pneuvista-cli: MQTT: connected to " << where << (everConnected_ ? " again" : "");
    if (status.dropped > 0) err_ << "; " << status.dropped << " messages were dropped while it was away";
    err_ << "\n";
  } else if (status.state == PublisherState::Refused) {
    err_ << "pneuvista-cli: MQTT: " << status.message << "; publishing stopped, the readings go on\n";
  }
  err_ << std::flush;
  everConnected_ |= status.state == PublisherState::Connected;
  last_ = status.state;
}

void CliPublisher::reading(const StreamReading& reading, const std::string& time) {
  publisher_->publish({topics_.reading(), ReadingPayload(reading, time), readingQos_, false});
}

void CliPublisher::runEvent(RunEvent event) {
  event.dropped = publisher_->status().dropped;
  publisher_->publish({topics_.run(), RunPayload(event), 1, false});
}

void CliPublisher::finish() {
  const std::size_t undelivered = publisher_->stop();
  if (undelivered > 0)
    err_ << "pneuvista-cli: MQTT: " << undelivered << " messages could not be delivered before the end\n"
         << std::flush;
}

}  // namespace pv::cli
