// SPDX-License-Identifier: GPL-3.0-or-later
// The publisher's thread is the only one that touches the library: it runs libmosquitto's
// network calls on its socket and does its own reconnecting, so that the waits follow our
// schedule and the messages held while the broker is away stay in our bounded queue
// rather than in the library's unbounded one. publish() only appends to that queue; the
// thread hands what gathered to the library at each turn of its loop, ten times a
// second, as one corked write, which costs far less than waking it for every frame.
//
// The thread waits on the socket itself (mosquitto_loop_read/_write/_misc) rather than
// in mosquitto_loop: the library writes a byte to a wake-up pipe for every message
// published, and mosquitto_loop would wake once for each of those bytes.
#include "publish/mqtt_publisher.h"

#include <mosquitto.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "publish/publish_payloads.h"
#include "publish/reconnect_backoff.h"

namespace pv {
namespace {

using Clock = std::chrono::steady_clock;

// How long one turn of the loop may wait for the socket: the longest a reading waits
// before it leaves, and a stop for a loop that has nothing to do.
constexpr int kLoopTurnMs = 100;
// Beyond the flush, how long a stop waits for a thread stuck in a connection attempt
// (an unreachable host) before leaving it to finish on its own.
constexpr int kStopGraceMs = 2000;

// CONNACK codes of MQTT 3.1.1 that no retry can mend.
constexpr int kConnackBadCredentials = 4;
constexpr int kConnackNotAuthorised = 5;

void InitialiseLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

}  // namespace

const char* PublisherStateName(PublisherState state) {
  switch (state) {
    case PublisherState::Off:
      return "off";
    case PublisherState::Connecting:
      return "connecting";
    case PublisherState::Connected:
      return "connected";
    case PublisherState::Reconnecting:
      return "reconnecting";
    case PublisherState::Refused:
      return "refused";
  }
  return "off";
}

struct MqttPublisher::Worker {
  PublisherSettings settings;
  StatusListener listener;

  mutable std::mutex mutex;
  // Held while the listener is told, so that no word reaches it once stop() returned.
  std::mutex listenerMutex;
  std::condition_variable wake;  // the backoff's wait ends early on stop
  std::condition_variable done;
  PublishQueue queue;
  PublisherState state = PublisherState::Off;
  std::string message;
  bool connected = false;  // accepted: the queue is handed to the library at each turn
  bool stopping = false;
  bool finished = false;
  bool listening = true;
  bool refused = false;
  bool accepted = false;  // the current attempt got the broker's CONNACK
  int flushMs = 0;
  // The library's last error line, for a TLS refusal. Its own lock: the library may log
  // from inside a call made with mutex held.
  mutable std::mutex errorMutex;
  std::string lastError;

  std::atomic<int> offlineMid{-1};
  std::atomic<bool> offlineDelivered{false};
  mosquitto* client = nullptr;
  ReconnectBackoff backoff;

  Worker(PublisherSettings s, StatusListener l)
      : settings(std::move(s)), listener(std::move(l)), queue(settings.queueCapacity) {}

  PublisherStatus statusLocked() const { return {state, queue.size(), queue.dropped(), message}; }

  // Changes the state and tells the listener, outside the lock.
  void setState(PublisherState next, std::string why) {
    std::lock_guard telling(listenerMutex);
    PublisherStatus copy;
    bool tell = false;
    {
      std::lock_guard lock(mutex);
      state = next;
      message = std::move(why);
      copy = statusLocked();
      tell = listening && listener;
    }
    if (tell) listener(copy);
  }

  std::string configure();
  void run();
  int serve();
  void waitBeforeRetry();
  void onConnected(int code);
  void listenToLibraryErrors(bool listen);
  void handOver();
  int turn();
  bool stopIsDone(Clock::time_point& deadline);
  std::string lossText(int rc, int savedErrno) const;
};

std::string MqttPublisher::Worker::configure() {
  mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  const std::string status = settings.topics.status();
  if (mosquitto_will_set(client, status.c_str(), static_cast<int>(kStatusOffline.size()),
                         kStatusOffline.data(), 1, true) != MOSQ_ERR_SUCCESS)
    return "the status topic '" + status + "' cannot carry the last will";
  if (settings.credentials &&
      mosquitto_username_pw_set(client, settings.credentials->userName.c_str(),
                                settings.credentials->password.c_str()) != MOSQ_ERR_SUCCESS)
    return "the user name or password cannot be used";
  if (settings.broker.tls) {
    const char* caFile = settings.caFile.empty() ? nullptr : settings.caFile.c_str();
    const char* caPath = settings.caFile.empty() ? "/etc/ssl/certs" : nullptr;
    if (const int rc = mosquitto_tls_set(client, caFile, caPath, nullptr, nullptr, nullptr); rc != MOSQ_ERR_SUCCESS)
      return (caFile ? settings.caFile + ": " : std::string()) + "cannot be used for TLS: " + mosquitto_strerror(rc);
  }
  mosquitto_connect_callback_set(client, [](mosquitto*, void* self, int code) {
    static_cast<Worker*>(self)->onConnected(code);
  });
  mosquitto_disconnect_callback_set(client, [](mosquitto*, void* self, int) {
    auto* w = static_cast<Worker*>(self);
    std::lock_guard lock(w->mutex);
    w->connected = false;
  });
  mosquitto_publish_callback_set(client, [](mosquitto*, void* self, int mid) {
    auto* w = static_cast<Worker*>(self);
    if (mid == w->offlineMid.load()) w->offlineDelivered = true;
  });
  return {};
}

// The library's error lines say why a TLS handshake failed. It formats every line,
// one for each message published too, only while a callback is set: so only until the
// broker accepted the connection.
void MqttPublisher::Worker::listenToLibraryErrors(bool listen) {
  if (!listen) {
    mosquitto_log_callback_set(client, nullptr);
    return;
  }
  mosquitto_log_callback_set(client, [](mosquitto*, void* self, int level, const char* text) {
    if ((level & MOSQ_LOG_ERR) == 0 || text == nullptr) return;
    auto* w = static_cast<Worker*>(self);
    std::lock_guard lock(w->errorMutex);
    w->lastError = text;
  });
}

void MqttPublisher::Worker::onConnected(int code) {
  if (code == kConnackBadCredentials || code == kConnackNotAuthorised) {
    {
      std::lock_guard lock(mutex);
      refused = true;
    }
    std::string why = mosquitto_connack_string(code);  // "Connection Refused: not authorised."
    if (why.ends_with('.')) why.pop_back();
    setState(PublisherState::Refused, "the broker refused the connection: " + why);
    mosquitto_disconnect(client);
    return;
  }
  if (code != 0) {
    {
      std::lock_guard lock(errorMutex);
      lastError = mosquitto_connack_string(code);
    }
    mosquitto_disconnect(client);
    return;
  }
  {
    std::lock_guard lock(mutex);
    accepted = true;
    backoff.connected();
    listenToLibraryErrors(false);
    // "online" goes before what waited, which the next turn hands over in the order read.
    const std::string status = settings.topics.status();
    mosquitto_publish(client, nullptr, status.c_str(), static_cast<int>(kStatusOnline.size()),
                      kStatusOnline.data(), 1, true);
    connected = true;
  }
  setState(PublisherState::Connected, {});
}

std::string MqttPublisher::Worker::lossText(int rc, int savedErrno) const {
  std::string text = rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(savedErrno)) : mosquitto_strerror(rc);
  std::lock_guard lock(errorMutex);
  if (!lastError.empty() && rc != MOSQ_ERR_ERRNO) text = lastError;
  return settings.broker.host + ":" + std::to_string(settings.broker.port) + ": " + text;
}

// Hands what waits to the library, in the order it came, while connected. The socket is
// corked meanwhile, so that what gathered since the last turn leaves in one segment
// instead of one per message.
void MqttPublisher::Worker::handOver() {
  std::lock_guard lock(mutex);
  if (!connected || queue.size() == 0) return;
  const int socket = mosquitto_socket(client);
  int cork = 1;
  if (socket >= 0) setsockopt(socket, IPPROTO_TCP, TCP_CORK, &cork, sizeof cork);
  while (const PublishMessage* m = queue.front()) {
    // A message the library does not take (the connection broke; the loop says so at its
    // next turn) stays first in the queue.
    if (mosquitto_publish(client, nullptr, m->topic.c_str(), static_cast<int>(m->payload.size()), m->payload.data(),
                          m->qos, m->retain) != MOSQ_ERR_SUCCESS)
      break;
    queue.pop();
  }
  cork = 0;
  if (socket >= 0) setsockopt(socket, IPPROTO_TCP, TCP_CORK, &cork, sizeof cork);
}

// One turn of the network loop: waits up to a turn's length for the broker, then reads
// what came (acknowledgements, pings; a TLS layer may hold data the socket no longer
// shows, so the read is tried every turn), writes what the library still holds, and
// keeps the connection alive. Returns the library's code; errno is kept for an
// MOSQ_ERR_ERRNO.
int MqttPublisher::Worker::turn() {
  const int socket = mosquitto_socket(client);
  if (socket < 0) return MOSQ_ERR_NO_CONN;
  pollfd wait{socket, static_cast<short>(POLLIN | (mosquitto_want_write(client) ? POLLOUT : 0)), 0};
  if (poll(&wait, 1, kLoopTurnMs) < 0 && errno != EINTR) return MOSQ_ERR_ERRNO;
  if (const int rc = mosquitto_loop_read(client, 1); rc != MOSQ_ERR_SUCCESS) return rc;
  if (mosquitto_want_write(client))
    if (const int rc = mosquitto_loop_write(client, 1); rc != MOSQ_ERR_SUCCESS) return rc;
  return mosquitto_loop_misc(client);
}

// Ends a connection that is being stopped: "offline" is said after the last reading,
// and the disconnect follows once the broker has it or the flush time is up.
bool MqttPublisher::Worker::stopIsDone(Clock::time_point& deadline) {
  std::unique_lock lock(mutex);
  if (!stopping) return false;
  if (!connected) return true;
  if (offlineMid.load() < 0) {
    deadline = Clock::now() + std::chrono::milliseconds(flushMs);
    int mid = 0;
    const std::string status = settings.topics.status();
    offlineMid = 0;
    if (mosquitto_publish(client, &mid, status.c_str(), static_cast<int>(kStatusOffline.size()),
                          kStatusOffline.data(), 1, true) == MOSQ_ERR_SUCCESS)
      offlineMid = mid;
    return false;
  }
  if (offlineDelivered || Clock::now() >= deadline) {
    connected = false;
    lock.unlock();
    mosquitto_disconnect(client);
  }
  return false;
}

// Runs the library's loop on one connection until it ends; returns its last code.
int MqttPublisher::Worker::serve() {
  Clock::time_point deadline = Clock::time_point::max();
  for (;;) {
    const int rc = turn();
    const int savedErrno = errno;
    if (rc != MOSQ_ERR_SUCCESS) {
      std::lock_guard lock(mutex);
      connected = false;
      errno = savedErrno;
      return rc;
    }
    handOver();
    if (stopIsDone(deadline)) return MOSQ_ERR_SUCCESS;
    std::lock_guard lock(mutex);
    if (refused) return MOSQ_ERR_SUCCESS;
  }
}

void MqttPublisher::Worker::waitBeforeRetry() {
  std::unique_lock lock(mutex);
  const int seconds = backoff.nextSeconds();
  wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping; });
}

void MqttPublisher::Worker::run() {
  client = mosquitto_new(nullptr, true, this);
  std::string problem = client ? configure() : std::string("the MQTT client cannot be made");
  if (!problem.empty()) setState(PublisherState::Refused, problem);
  while (problem.empty()) {
    {
      std::lock_guard lock(mutex);
      if (stopping || refused) break;
      accepted = false;
    }
    {
      std::lock_guard lock(errorMutex);
      lastError.clear();
    }
    listenToLibraryErrors(true);
    const std::string host = settings.broker.host;
    int rc = mosquitto_connect(client, host.c_str(), settings.broker.port, settings.keepAliveSeconds);
    int savedErrno = errno;
    if (rc == MOSQ_ERR_SUCCESS) {
      rc = serve();
      savedErrno = errno;
    }
    std::unique_lock lock(mutex);
    if (stopping || refused) break;
    // A handshake that fails before the broker answered is a certificate it or we refused.
    const bool tlsRefused = !accepted && (rc == MOSQ_ERR_TLS || (rc == MOSQ_ERR_ERRNO && savedErrno == EPROTO));
    if (tlsRefused) refused = true;
    lock.unlock();
    if (tlsRefused) {
      setState(PublisherState::Refused, "TLS with the broker failed: " + lossText(rc, savedErrno));
      break;
    }
    setState(PublisherState::Reconnecting, lossText(rc, savedErrno));
    waitBeforeRetry();
  }
  if (client) {
    mosquitto_destroy(client);
    client = nullptr;
  }
  std::lock_guard lock(mutex);
  if (state != PublisherState::Refused) state = PublisherState::Off;
  finished = true;
  done.notify_all();
}

MqttPublisher::MqttPublisher(PublisherSettings settings, StatusListener listener)
    : worker_(std::make_shared<Worker>(std::move(settings), std::move(listener))) {}

MqttPublisher::~MqttPublisher() {
  stop(0);
}

void MqttPublisher::start() {
  InitialiseLibraryOnce();
  {
    std::lock_guard lock(worker_->mutex);
    if (worker_->state != PublisherState::Off || worker_->finished) return;
    worker_->state = PublisherState::Connecting;
  }
  // The thread holds the worker too: one left behind by a stop outlives this object.
  std::thread([w = worker_] { w->run(); }).detach();
}

void MqttPublisher::publish(PublishMessage m) {
  Worker& w = *worker_;
  std::lock_guard lock(w.mutex);
  if (w.stopping || w.refused) return;
  w.queue.push(std::move(m));
}

std::size_t MqttPublisher::stop(int flushMs) {
  Worker& w = *worker_;
  std::unique_lock lock(w.mutex);
  if (w.state == PublisherState::Off && !w.stopping) return w.queue.size();
  w.stopping = true;
  w.flushMs = flushMs;
  w.wake.notify_all();
  w.done.wait_for(lock, std::chrono::milliseconds(flushMs + kStopGraceMs), [&] { return w.finished; });
  lock.unlock();
  std::lock_guard telling(w.listenerMutex);
  lock.lock();
  w.listening = false;
  return w.queue.size();
}

PublisherStatus MqttPublisher::status() const {
  std::lock_guard lock(worker_->mutex);
  return worker_->statusLocked();
}

const PublisherSettings& MqttPublisher::settings() const {
  return worker_->settings;
}

}  // namespace pv
