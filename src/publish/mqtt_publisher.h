// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Publishes a bench's messages to an MQTT broker through libmosquitto, on a thread of
// its own so that a slow, absent or distant broker never holds up the meter's readings,
// the chart or the journal. Messages wait in a bounded queue while the broker is away;
// the connection is tried again 1 s, 2 s, 4 s ... up to 60 s apart. A broker that
// refuses the credentials or the certificate ends publishing with one message.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "publish/broker_settings.h"
#include "publish/publish_queue.h"
#include "publish/publish_topics.h"

namespace pv {

enum class PublisherState {
  Off,           // not started, or stopped
  Connecting,    // the first attempt is under way
  Connected,
  Reconnecting,  // the broker went away or was not reached; the next attempt is scheduled
  Refused,       // the broker refused the credentials or the TLS certificate: publishing ended
};

struct PublisherStatus {
  PublisherState state = PublisherState::Off;
  std::size_t waiting = 0;    // messages held for the broker
  std::uint64_t dropped = 0;  // messages dropped because the queue was full
  std::string message;        // why it is reconnecting or refused
};

struct PublisherSettings {
  BrokerAddress broker;
  PublishTopics topics;
  std::optional<BrokerCredentials> credentials;
  std::string caFile;  // with TLS: the authority the broker's certificate must come from;
                       // empty trusts the system's authorities
  int keepAliveSeconds = 30;
  std::size_t queueCapacity = kPublishQueueCapacity;
};

// Words for a person: "connected", "reconnecting", "off", "refused".
const char* PublisherStateName(PublisherState state);

class MqttPublisher {
 public:
  // Told of every change of state, on the publisher's own thread; it must not call stop().
  using StatusListener = std::function<void(const PublisherStatus&)>;

  MqttPublisher(PublisherSettings settings, StatusListener listener);
  ~MqttPublisher();
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  // Starts the thread, which connects (the will is "offline") and says "online".
  void start();
  // Hands a message over; never waits for the network. Safe from any thread.
  void publish(PublishMessage message);
  // Sends what waits for at most flushMs while connected, says "offline" and
  // disconnects. Returns the number of messages that were not delivered.
  std::size_t stop(int flushMs = 3000);

  PublisherStatus status() const;
  const PublisherSettings& settings() const;

 private:
  struct Worker;
  std::shared_ptr<Worker> worker_;
};

}  // namespace pv
