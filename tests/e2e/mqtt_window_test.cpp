// SPDX-License-Identifier: GPL-3.0-or-later
// The window publishing to a real mosquitto broker, read back by a real subscriber: a
// run's readings, start and end as the settings ask, and the readings of a broker's
// absence delivered once it is back, with the status bar's pane following its state.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

#include "driver/session_driver.h"
#include "holdtest/hold_test.h"
#include "live_window.h"
#include "mqtt_subscriber.h"
#include "ui/publish/window_publisher.h"

namespace pv::e2e {
namespace {

QStringList RunEvents(Subscriber& sub) {
  QStringList events;
  for (const QByteArray& p : sub.payloads("/run")) events << QJsonDocument::fromJson(p).object().value("event").toString();
  return events;
}

QString Pane(LiveWindow& w) { return w.window->publisher().statePane()->text(); }

ui::WindowPublishSettings PublishTo(const Broker& broker, bool everySample) {
  ui::WindowPublishSettings s;
  s.enabled = true;
  s.brokerUrl = broker.url().toStdString();
  s.topicPrefix = "win";
  s.everySample = everySample;
  return s;
}

TEST(MqttWindow, ARunsReadingsStartAndEndArriveAsTheSettingsAsk) {
  struct Case {
    bool everySample;
    bool readingsOnlyOfSamples;
  };
  for (const Case c : {Case{false, false}, Case{true, true}}) {
    SCOPED_TRACE(c.everySample ? "each sample" : "every frame");
    Broker broker;
    ASSERT_TRUE(broker.start()) << broker.log.toStdString();
    Subscriber sub;
    ASSERT_TRUE(sub.start(broker, "win")) << sub.out.toStdString();
    LiveWindow w;
    ASSERT_TRUE(w.window->publisher().apply(PublishTo(broker, c.everySample)));
    ASSERT_TRUE(WaitFor([&] { return Pane(w).startsWith("MQTT: connected"); }, 10000)) << Pane(w).toStdString();
    ASSERT_TRUE(WaitFor([&] { return w.linked(); }, 10000));
    w.window->runCommand(ui::WindowCommand::Run);
    ASSERT_TRUE(WaitFor([&] { return w.model.store.sampleCount >= 3; }, 20000));
    w.window->runCommand(ui::WindowCommand::Stop);
    const int samples = w.model.store.sampleCount;
    ASSERT_TRUE(WaitFor([&] { return RunEvents(sub).contains("ended"); }, 10000)) << sub.out.toStdString();
    EXPECT_EQ(RunEvents(sub), QStringList({"started", "ended"}));
    const QJsonObject ended = QJsonDocument::fromJson(sub.payloads("/run").last()).object();
    EXPECT_EQ(ended.value("samples").toInt(), samples);
    if (c.readingsOnlyOfSamples)
      EXPECT_EQ(sub.payloads("/reading").size(), samples) << sub.out.toStdString();
    else
      EXPECT_GT(sub.payloads("/reading").size(), samples) << sub.out.toStdString();
  }
}

TEST(MqttWindow, AHoldTestCutShortByStopPublishesItsResult) {
  Broker broker;
  ASSERT_TRUE(broker.start()) << broker.log.toStdString();
  Subscriber sub;
  ASSERT_TRUE(sub.start(broker, "win")) << sub.out.toStdString();
  LiveWindow w;
  ASSERT_TRUE(w.window->publisher().apply(PublishTo(broker, false)));
  ASSERT_TRUE(WaitFor([&] { return w.linked(); }, 10000));
  w.window->runCommand(ui::WindowCommand::Run);
  ASSERT_TRUE(WaitFor([&] { return w.model.store.sampleCount >= 1; }, 20000));
  ASSERT_TRUE(w.window->driver().session().armHoldTest(HoldCriteria{}, 600));
  const int armedAt = w.model.store.sampleCount;
  ASSERT_TRUE(WaitFor([&] { return w.model.store.sampleCount >= armedAt + 3; }, 20000));
  w.window->runCommand(ui::WindowCommand::Stop);
  ASSERT_TRUE(WaitFor([&] { return !sub.payloads("/holdtest").isEmpty(); }, 10000)) << sub.out.toStdString();
  const QJsonObject result = QJsonDocument::fromJson(sub.payloads("/holdtest").first()).object();
  EXPECT_EQ(result.value("result").toString(), "not passed") << sub.out.toStdString();
  EXPECT_TRUE(result.contains("record"));
}

TEST(MqttWindow, ReadingsOfABrokersAbsenceArriveOnceItIsBackAndThePaneFollowsIt) {
  Broker broker;
  ASSERT_TRUE(broker.startKeepingSessions()) << broker.log.toStdString();
  Subscriber sub;  // a session the broker keeps across its restart
  ASSERT_TRUE(sub.start(broker, "win", {"-c", "-i", "collector", "-q", "1", "-R"})) << sub.out.toStdString();
  LiveWindow w(10);
  int frames = 0;
  QObject::connect(&w.window->driver(), &SessionDriver::received, [&] { ++frames; });
  ASSERT_TRUE(w.window->publisher().apply(PublishTo(broker, false)));
  ASSERT_TRUE(WaitFor([&] { return sub.payloads("/reading").size() >= 5; }, 20000)) << Pane(w).toStdString();

  ::kill(static_cast<pid_t>(broker.process.processId()), SIGUSR1);  // the session to disk
  ASSERT_TRUE(WaitFor([&] { return QFile::exists(broker.path("mosquitto.db")); }, 10000));
  broker.kill();
  ASSERT_TRUE(WaitFor([&] { return Pane(w).startsWith("MQTT: reconnecting"); }, 20000)) << Pane(w).toStdString();
  const int atLoss = frames;
  ASSERT_TRUE(WaitFor([&] { return frames >= atLoss + 20; }, 20000));
  ASSERT_TRUE(WaitFor([&] { return !Pane(w).contains(", 0 waiting"); }, 10000)) << Pane(w).toStdString();
  ASSERT_TRUE(broker.restart()) << broker.log.toStdString();
  ASSERT_TRUE(WaitFor([&] { return Pane(w).startsWith("MQTT: connected"); }, 20000)) << Pane(w).toStdString();
  const int atReturn = frames;
  // Only readings in flight as the broker died may be missing.
  ASSERT_TRUE(WaitFor([&] { return sub.payloads("/reading").size() >= atReturn - 5; }, 20000))
      << sub.payloads("/reading").size() << " of " << atReturn;
}

}  // namespace
}  // namespace pv::e2e
