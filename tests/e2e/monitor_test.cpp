// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli monitor against the simulated meter over a real pseudo-terminal: the
// lines it prints, how each way of ending ends, and the goodbye the meter is sent.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "e2e_support.h"
#include "sim/pty_meter.h"

namespace pv::e2e {
namespace {

// A meter at 10 readings a second and the monitor started on it.
struct Monitoring {
  PtyMeter meter;
  Program program;
  QByteArray out;

  Monitoring() {
    meter.setFramesPerSecond(10);
    EXPECT_TRUE(meter.start()) << meter.errorString();
  }
  QString device() const { return QString::fromStdString(meter.devicePath()); }
  void start(const QStringList& extra) {
    program.start(Binary("pneuvista-cli"), QStringList{QStringLiteral("monitor"), QStringLiteral("--device"), device()} + extra);
  }
  // Through a shell pipeline; the status is the monitor's own.
  void startPiped(const QString& reader) {
    program.start(QStringLiteral("/bin/bash"),
                  {QStringLiteral("-c"), Binary("pneuvista-cli") + " monitor --device " + device() + " | " + reader +
                                             "; exit ${PIPESTATUS[0]}"});
  }
  int lines() {
    out += program.process.readAllStandardOutput();
    return static_cast<int>(out.count('\n'));
  }
  int finish(int timeoutMs = 20000) {
    if (!WaitFor([this] { return program.process.state() == QProcess::NotRunning; }, timeoutMs)) return -1;
    out += program.process.readAllStandardOutput();
    program.err += program.process.readAllStandardError();
    return program.process.exitStatus() == QProcess::NormalExit ? program.process.exitCode() : -2;
  }
  bool saidGoodbye() {
    return WaitFor([this] { return meter.model().commandCount(Command::Disconnect) >= 6; }, 5000);
  }
  std::string log() const { return program.err.toStdString() + out.toStdString(); }
};

TEST(Monitor, PrintsTheCountOfReadingsAsCsvAndSaysGoodbye) {
  Monitoring m;
  m.start({QStringLiteral("--count"), QStringLiteral("5")});
  ASSERT_EQ(m.finish(), 0) << m.log();
  const QList<QByteArray> lines = m.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 6) << m.log();
  EXPECT_EQ(lines[0], "time,value,unit,reading,flags,error");
  const QRegularExpression row(QStringLiteral(
      R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d,([0-9.]+),psi,\+([0-9.]+),,$)"));
  for (int k = 1; k < lines.size(); ++k) {
    const auto match = row.match(QString::fromLatin1(lines[k]));
    ASSERT_TRUE(match.hasMatch()) << lines[k].toStdString();
    EXPECT_EQ(match.captured(1), match.captured(2));
    EXPECT_GT(match.captured(1).toDouble(), 1.0);
  }
  EXPECT_TRUE(m.program.err.isEmpty()) << m.log();
  ASSERT_TRUE(m.saidGoodbye());
  EXPECT_GE(m.meter.model().commandCount(Command::Connect), 3);
  EXPECT_EQ(m.meter.model().commandCount(Command::Exit), 3);
  EXPECT_EQ(m.meter.model().commandCount(Command::Run), 0);
}

TEST(Monitor, JsonLinesCarryTheErrorWordOfAnErrorFrame) {
  Monitoring m;
  m.start({QStringLiteral("--format"), QStringLiteral("jsonl")});
  ASSERT_TRUE(WaitFor([&] { return m.lines() >= 2; }, 10000)) << m.log();
  m.meter.injectError(2);
  ASSERT_TRUE(WaitFor([&] { return m.lines() > 0 && m.out.contains("ERR2"); }, 10000)) << m.log();
  ASSERT_EQ(m.program.terminate(), 0) << m.log();
  m.finish();
  bool sawReading = false, sawError = false;
  for (const QByteArray& line : m.out.trimmed().split('\n')) {
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    EXPECT_TRUE(o.contains(QStringLiteral("time")));
    sawError |= o.value(QStringLiteral("error")).toString() == QStringLiteral("ERR2");
    sawReading |= o.value(QStringLiteral("unit")).toString() == QStringLiteral("psi") &&
                  o.value(QStringLiteral("value")).toDouble() > 1.0;
  }
  EXPECT_TRUE(sawReading && sawError) << m.log();
  ASSERT_TRUE(m.saidGoodbye());
}

TEST(Monitor, AReaderThatClosesThePipeEndsItQuietlyWithStatusZero) {
  Monitoring m;
  m.startPiped(QStringLiteral("head -3"));
  ASSERT_EQ(m.finish(), 0) << m.log();
  EXPECT_EQ(m.out.count('\n'), 3) << m.log();
  EXPECT_TRUE(m.program.err.isEmpty()) << m.log();
  ASSERT_TRUE(m.saidGoodbye());
}

// A stream that cannot be written (a full disk, standard output closed) is an error:
// status 1 and one message, not a quiet end.
TEST(Monitor, AStreamThatCannotBeWrittenExitsWithStatusOneAndOneMessage) {
  for (const char* redirect : {" > /dev/full", " >&-"}) {
    Monitoring m;
    m.program.start(
        QStringLiteral("/bin/bash"),
        {QStringLiteral("-c"), Binary("pneuvista-cli") + " monitor --device " + m.device() + redirect});
    EXPECT_EQ(m.finish(), 1) << redirect << m.log();
    EXPECT_EQ(m.program.err.count('\n'), 1) << m.log();
    EXPECT_TRUE(m.program.err.contains("cannot write the readings")) << m.log();
  }
}

TEST(Monitor, EndsAtTheDurationOrWithStatusThreeWhenTheMeterGoesAway) {
  {
    Monitoring m;
    m.start({QStringLiteral("--duration"), QStringLiteral("1")});
    ASSERT_EQ(m.finish(), 0) << m.log();
    EXPECT_GE(m.lines(), 3) << m.log();
  }
  Monitoring m;
  m.start({});
  ASSERT_TRUE(WaitFor([&] { return m.lines() >= 3; }, 10000)) << m.log();
  m.meter.unplug();
  ASSERT_EQ(m.finish(kWatchdogWaitMs), 3) << m.log();
  EXPECT_TRUE(m.program.err.contains("stopped answering")) << m.log();
}

TEST(Monitor, RefusesWhatItCannotDo) {
  QTemporaryDir dir;
  const QString missing = dir.path() + QStringLiteral("/no-such-tty");
  struct Case {
    QStringList args;
    int status;
    QString message;  // part of standard error
  };
  const Case cases[] = {
      {{"--device", missing}, 1, missing + ": No such file or directory"},
      {{}, 2, "--demo"},
      {{"--demo", "--device", missing}, 2, "exclude"},
      {{"--demo", "--format", "xml"}, 2, "csv, jsonl or none"},
      {{"--demo", "--count", "0"}, 2, "--count"},
      {{"--demo", "--duration", "-1"}, 2, "--duration"},
      {{"--demo", "--bogus"}, 2, "unknown argument"},
      {{"--demo", "--mqtt", "http://broker"}, 2, "mqtt://HOST"},
      {{"--demo", "--mqtt", "mqtt://broker", "--topic", "lab/#"}, 2, "wildcard"},
      {{"--demo", "--mqtt", "mqtt://broker", "--every", "sample"}, 2, "needs a run"},
      {{"--demo", "--format", "none"}, 2, "needs --mqtt"},
      {{"--demo", "--qos", "1"}, 2, "go with --mqtt"},
      {{"--demo", "--mqtt", "mqtt://broker", "--credentials", missing}, 1, missing + ": No such file"},
      {{"--demo", "--mqtt", "mqtt://broker", "--tls-ca", missing}, 1, "needs an mqtts://"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli(QStringList{QStringLiteral("monitor")} + c.args, QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(r.exitCode, c.status) << c.args.join(' ').toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.message.toUtf8())) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
}

}  // namespace
}  // namespace pv::e2e
