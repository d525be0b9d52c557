// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli publishing to a real mosquitto broker, read back by a real subscriber:
// what arrives against what was read, a broker that goes away and comes back, and
// brokers that refuse the credentials or whose certificate is not trusted.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "mqtt_subscriber.h"
#include "sim/pty_meter.h"

namespace pv::e2e {
namespace {

QJsonObject Json(const QByteArray& text) {
  return QJsonDocument::fromJson(text).object();
}

// How many of the lines read are missing from the messages received, provided the
// messages are those lines in the order read; -1 when one is out of order or unknown.
int MissingInOrder(const QList<QByteArray>& read, const QList<QByteArray>& received) {
  qsizetype next = 0;
  for (const QByteArray& message : received) {
    const QJsonObject m = Json(message);
    while (next < read.size() && Json(read[next]) != m) ++next;
    if (next == read.size()) return -1;
    ++next;
  }
  return static_cast<int>(read.size() - received.size());
}

TEST(Mqtt, ReadingsArriveAsReadAcrossABrokerRestartAndTheWillSaysOffline) {
  Broker broker;
  ASSERT_TRUE(broker.startKeepingSessions()) << broker.log.toStdString();
  Subscriber sub;  // a session the broker keeps across its restart
  ASSERT_TRUE(sub.start(broker, "lab/b1", {"-c", "-i", "collector", "-q", "1", "-R"})) << sub.out.toStdString();
  PtyMeter meter;
  meter.setFramesPerSecond(10);
  ASSERT_TRUE(meter.start()) << meter.errorString();
  Program cli;
  cli.start(Binary("pneuvista-cli"), {"monitor", "--device", QString::fromStdString(meter.devicePath()), "--format",
                                      "jsonl", "--mqtt", broker.url(), "--topic", "lab/b1"});
  QByteArray out;
  auto lines = [&] {
    out += cli.process.readAllStandardOutput();
    return out.trimmed().split('\n');
  };
  ASSERT_TRUE(WaitFor([&] { return sub.payloads("/reading").size() >= 5; }, 20000)) << cli.err.toStdString();

  ::kill(static_cast<pid_t>(broker.process.processId()), SIGUSR1);  // the session to disk
  ASSERT_TRUE(WaitFor([&] { return QFile::exists(broker.path("mosquitto.db")); }, 10000));
  broker.kill();
  ASSERT_TRUE(WaitFor([&] { return cli.err.contains("wait for the broker"); }, 20000)) << cli.err.toStdString();
  const qsizetype atLoss = lines().size();
  ASSERT_TRUE(WaitFor([&] { return lines().size() >= atLoss + 15; }, 20000));
  ASSERT_TRUE(broker.restart()) << broker.log.toStdString();
  ASSERT_TRUE(WaitFor([&] { return cli.err.contains("again"); }, 20000)) << cli.err.toStdString();
  ASSERT_TRUE(WaitFor([&] { return sub.payloads("/reading").size() >= atLoss + 15; }, 20000))
      << sub.out.toStdString();

  cli.process.kill();  // gone without a word: the broker says the last will
  cli.process.waitForFinished();
  ASSERT_TRUE(WaitFor([&] { return sub.payloads("/status").endsWith("offline"); }, 20000)) << sub.out.toStdString();
  EXPECT_EQ(sub.payloads("/status"), (QList<QByteArray>{"online", "online", "offline"}));
  // Only readings in flight as the broker or the program died may be missing.
  const int missing = MissingInOrder(lines(), sub.payloads("/reading"));
  EXPECT_GE(missing, 0) << out.toStdString() << sub.out.toStdString();
  EXPECT_LE(missing, 5) << out.toStdString() << sub.out.toStdString();
}

TEST(Mqtt, CredentialsFromAPrivateFileOrTheEnvironmentAndARefusalStopsOnlyPublishing) {
  Broker broker;
  QProcess passwd;
  passwd.start("mosquitto_passwd", {"-c", "-b", broker.path("passwords"), "bench", "secret"});
  ASSERT_TRUE(passwd.waitForFinished() && passwd.exitCode() == 0) << passwd.readAllStandardError().toStdString();
  ASSERT_TRUE(broker.start("allow_anonymous false\npassword_file " + broker.path("passwords").toUtf8() + "\n"))
      << broker.log.toStdString();
  Subscriber sub;
  ASSERT_TRUE(sub.start(broker, "creds", {"-u", "bench", "-P", "secret"})) << sub.out.toStdString();
  struct Case {
    QByteArray file;  // empty: none, the environment's
    QFile::Permissions permissions;
    QByteArray environmentPassword;
    int status;
    QByteArray error;  // in standard error; empty: nothing there, and the readings arrive
  };
  const QFile::Permissions privateFile = QFile::ReadOwner | QFile::WriteOwner;
  const Case cases[] = {
      {"bench\nsecret\n", privateFile, "", 0, ""},
      {"", privateFile, "secret", 0, ""},
      {"bench\nwrong\n", privateFile, "", 0, "publishing stopped"},
      {"", privateFile, "wrong", 0, "publishing stopped"},
      {"bench\nsecret\n", privateFile | QFile::ReadOther, "", 1, "chmod 600"},
  };
  for (int k = 0; k < static_cast<int>(std::size(cases)); ++k) {
    const Case& c = cases[k];
    const QString topic = "creds/" + QString::number(k);
    QStringList args{"monitor", "--demo", "--count", "3", "--mqtt", broker.url(), "--topic", topic};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!c.file.isEmpty()) {
      WriteFile(broker.path("credentials"), c.file);
      QFile::setPermissions(broker.path("credentials"), c.permissions);
      args << "--credentials" << broker.path("credentials");
    } else {
      env.insert("PNEUVISTA_MQTT_USERNAME", "bench");
      env.insert("PNEUVISTA_MQTT_PASSWORD", c.environmentPassword);
    }
    const CliResult r = RunCli(args, env);
    SCOPED_TRACE(k);
    EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
    if (c.error.isEmpty()) {
      EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
      EXPECT_TRUE(WaitFor([&] { return sub.payloads(qPrintable(topic + "/reading")).size() == 3; }, 10000));
      continue;
    }
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.error)) << r.err.toStdString();
    // The readings went on all the same.
    EXPECT_EQ(r.out.count('\n'), c.status == 0 ? 4 : 0) << r.out.toStdString();
  }
}

TEST(Mqtt, TlsTrustsOnlyTheBrokersOwnAuthority) {
  Broker broker;
  QProcess openssl;
  openssl.setWorkingDirectory(broker.dir.path());
  // Two authorities; the broker's certificate, for 127.0.0.1, comes from the first.
  openssl.start("/bin/bash", {"-ec",
                              "for ca in ca other; do openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 "
                              "-nodes -keyout $ca.key -out $ca.crt -subj /CN=$ca -days 2 2>/dev/null; done\n"
                              "openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout server.key "
                              "-out server.csr -subj /CN=127.0.0.1 2>/dev/null\n"
                              "printf 'subjectAltName=IP:127.0.0.1\\n' > san\n"
                              "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
                              "-out server.crt -days 2 -extfile san 2>/dev/null\n"});
  ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0) << openssl.readAllStandardError().toStdString();
  const int tlsPort = FreeLocalPort();
  ASSERT_TRUE(broker.start("allow_anonymous true\nlistener " + QByteArray::number(tlsPort) +
                           " 127.0.0.1\ncafile " + broker.path("ca.crt").toUtf8() + "\ncertfile " +
                           broker.path("server.crt").toUtf8() + "\nkeyfile " + broker.path("server.key").toUtf8() + "\n"))
      << broker.log.toStdString();
  Subscriber sub;  // on the plain listener
  ASSERT_TRUE(sub.start(broker, "tls")) << sub.out.toStdString();
  const struct {
    const char* authority;
    bool delivered;
  } cases[] = {{"ca.crt", true}, {"other.crt", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.authority);
    const QString topic = QStringLiteral("tls/") + c.authority;
    const CliResult r = RunCli({"monitor", "--demo", "--count", "3", "--mqtt", broker.url(tlsPort, "mqtts"), "--topic",
                                topic, "--tls-ca", broker.path(c.authority)},
                               QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count('\n'), 4) << r.out.toStdString();
    if (c.delivered) {
      EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
      EXPECT_TRUE(WaitFor([&] { return sub.payloads(qPrintable(topic + "/reading")).size() == 3; }, 10000));
    } else {
      EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
      EXPECT_TRUE(r.err.contains("TLS")) << r.err.toStdString();
    }
  }
}

TEST(Mqtt, RecordPublishesEachSampleAndTheRunsStartEndAndFile) {
  Broker broker;
  ASSERT_TRUE(broker.start()) << broker.log.toStdString();
  Subscriber sub;
  ASSERT_TRUE(sub.start(broker, "rec")) << sub.out.toStdString();
  const QString out = broker.path("run.KvtDat");
  const CliResult r = RunCli({"record", "--demo", "--interval", "1", "--samples", "3", "--out", out, "--mqtt",
                              broker.url(), "--topic", "rec", "--every", "sample"},
                             QProcessEnvironment::systemEnvironment());
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  ASSERT_TRUE(WaitFor([&] { return sub.payloads("/status").endsWith("offline"); }, 10000)) << sub.out.toStdString();
  QStringList events;
  for (const QByteArray& p : sub.payloads("/run")) events << Json(p).value("event").toString();
  EXPECT_EQ(events, QStringList({"started", "ended", "saved"}));
  EXPECT_EQ(Json(sub.payloads("/run").last()).value("file").toString(), out);
  EXPECT_EQ(Json(sub.payloads("/run").last()).value("samples").toInt(), 3);
  EXPECT_EQ(sub.payloads("/reading").size(), 3) << sub.out.toStdString();
}

}  // namespace
}  // namespace pv::e2e
