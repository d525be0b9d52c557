// SPDX-License-Identifier: GPL-3.0-or-later
// What a bench publishes: where (topics, the broker's address), with which credentials,
// the messages' text, and what the queue keeps while the broker is away.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <tuple>

#include "live_fixtures.h"
#include "publish/broker_settings.h"
#include "publish/publish_payloads.h"
#include "publish/publish_queue.h"
#include "publish/publish_topics.h"
#include "publish/reconnect_backoff.h"

namespace pv {
namespace {

using namespace test;

TEST(PublishTopics, TheDefaultPrefixNamesTheHostAndTheMeterInTopicSafeLevels) {
  const struct {
    const char* host;
    const char* device;
    const char* prefix;
  } cases[] = {
      {"bench-4", "/dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0", "pneuvista/bench-4/usb-FTDI_FT232R_A1B2-if00-port0"},
      {"bench-4", "/dev/ttyUSB0", "pneuvista/bench-4/ttyUSB0"},
      {"lab", "/dev/pts/3", "pneuvista/lab/pts_3"},
      {"a b+c#", "/tmp/odd tty", "pneuvista/a_b_c_/tmp_odd_tty"},
      {"", "", "pneuvista/_/_"},
  };
  for (const auto& c : cases) EXPECT_EQ(DefaultTopicPrefix(c.host, c.device), c.prefix) << c.device;
  EXPECT_EQ(PublishTopics{"p/q"}.reading(), "p/q/reading");
}

TEST(BrokerSettings, TheUrlGivesHostPortAndTls) {
  const struct {
    const char* url;
    const char* host;  // nullptr: refused
    int port;
    bool tls;
  } cases[] = {
      {"mqtt://broker.lab", "broker.lab", 1883, false},  {"mqtts://broker.lab", "broker.lab", 8883, true},
      {"mqtt://10.0.0.5:1884", "10.0.0.5", 1884, false}, {"mqtts://[::1]:8884/", "::1", 8884, true},
      {"http://broker.lab", nullptr, 0, false},          {"mqtt://", nullptr, 0, false},
      {"mqtt://host:", nullptr, 0, false},               {"mqtt://host:70000", nullptr, 0, false},
      {"mqtt://user@host", nullptr, 0, false},           {"mqtt://[::1", nullptr, 0, false},
  };
  for (const auto& c : cases) {
    std::string problem;
    const auto address = ParseBrokerUrl(c.url, &problem);
    ASSERT_EQ(address.has_value(), c.host != nullptr) << c.url << ": " << problem;
    if (address) {
      EXPECT_EQ(std::tie(address->host, address->port, address->tls), std::tie(c.host, c.port, c.tls));
    }
  }
}

TEST(BrokerSettings, ACredentialsFileIsReadOnlyWhenPrivate) {
  const std::string path = ::testing::TempDir() + "/mqtt-credentials";
  const struct {
    const char* text;
    mode_t mode;
    const char* user;  // nullptr: refused, with this in the reason
    const char* reason;
  } cases[] = {
      {"bench\nsecret\n", 0600, "bench", ""},       {"bench\r\nsecret\r\n", 0400, "bench", ""},
      {"bench\nsecret\n", 0640, nullptr, "chmod 600"}, {"bench\nsecret\n", 0604, nullptr, "chmod 600"},
      {"\nsecret\n", 0600, nullptr, "no user name"},
  };
  for (const auto& c : cases) {
    std::remove(path.c_str());
    std::ofstream(path) << c.text;
    ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    std::string problem;
    const auto credentials = ReadCredentialsFile(path, &problem);
    ASSERT_EQ(credentials.has_value(), c.user != nullptr) << c.text << problem;
    if (credentials) {
      EXPECT_EQ(credentials->userName, c.user);
      EXPECT_EQ(credentials->password, "secret");
    } else {
      EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
    }
  }
  std::string problem;
  EXPECT_FALSE(ReadCredentialsFile(path + ".missing", &problem));
}

TEST(PublishQueue, AFullQueueDropsTheOldestAndCountsThem) {
  const struct {
    std::size_t capacity;
    int pushed;
    std::size_t kept;
    std::uint64_t dropped;
    const char* first;
  } cases[] = {{3, 2, 2, 0, "0"}, {3, 3, 3, 0, "0"}, {3, 5, 3, 2, "2"}, {0, 2, 0, 2, nullptr}};
  for (const auto& c : cases) {
    PublishQueue queue(c.capacity);
    for (int k = 0; k < c.pushed; ++k) queue.push({"t", std::to_string(k), 0, false});
    EXPECT_EQ(queue.size(), c.kept);
    EXPECT_EQ(queue.dropped(), c.dropped);
    const auto front = queue.pop();
    EXPECT_EQ(front ? front->payload : "(none)", c.first ? c.first : "(none)") << c.capacity << "/" << c.pushed;
  }
}

TEST(ReconnectBackoff, WaitsDoubleFromOneSecondToAMinuteAndStartOverOnceConnected) {
  ReconnectBackoff backoff;
  std::vector<int> waits;
  for (int k = 0; k < 10; ++k) {
    if (k == 9) backoff.connected();
    waits.push_back(backoff.nextSeconds());
  }
  EXPECT_EQ(waits, (std::vector<int>{1, 2, 4, 8, 16, 32, 60, 60, 60, 1}));
}

TEST(PublishPayloads, EachReadingAndRunEventIsOneJsonObject) {
  const auto payloadOf = [](const std::vector<std::uint8_t>& block) {
    AppModel m;
    const auto reading = StreamReadingOf(m, IngestBlock(m, block, 1000, NullObserver()));
    return reading ? ReadingPayload(*reading, "T") : "(none)";
  };
  const std::pair<std::string, std::string> readings[] = {
      {payloadOf(ReadingBytes(kPsi, 0, 0, "1.234")),
       R"({"time":"T","value":1.234,"unit":"psi","reading":"+1.234","flags":[]})"},
      {payloadOf(ReadingBytes(kMbar, 1, kHold | kNegative, "123.4")),
       R"({"time":"T","value":-123.4,"unit":"mbar","reading":"-123.4","flags":["HOLD","REC"]})"},
      {payloadOf(ReadingBytes(kPsi, 0, 0, "1\xff\xfe.2")),
       R"({"time":"T","value":1.000,"unit":"psi","reading":"+1??.2","flags":[]})"},
      {payloadOf(ErrorBytes(0x11)), R"({"time":"T","error":"ERR2"})"},
  };
  for (const auto& [payload, expected] : readings) EXPECT_EQ(payload, expected);
  const std::pair<RunEvent, std::string> events[] = {
      {{RunEventKind::Started, "T", 2, 0, "", "", 0}, R"({"event":"started","time":"T","interval":2,"dropped":0})"},
      {{RunEventKind::Progress, "T", 2, 20, "", "", 7}, R"({"event":"progress","time":"T","samples":20,"dropped":7})"},
      {{RunEventKind::Ended, "T", 2, 25, "stopped on request", "", 7},
       R"({"event":"ended","time":"T","why":"stopped on request","samples":25,"dropped":7})"},
      {{RunEventKind::Saved, "T", 2, 25, "", "run \"1\".KvtDat", 7},
       R"({"event":"saved","time":"T","file":"run \"1\".KvtDat","samples":25,"dropped":7})"},
  };
  for (const auto& [event, expected] : events) EXPECT_EQ(RunPayload(event), expected);
}

}  // namespace
}  // namespace pv
