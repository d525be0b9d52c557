// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli record against the simulated meter over a real pseudo-terminal: what
// the meter is told, what is written, and how each way of stopping ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "e2e_support.h"
#include "sim/pty_meter.h"

namespace pv::e2e {
namespace {

constexpr std::uint8_t kPsiCode = 2;

// The simulated meter's pressure curve: 3 psi +/- 1.5 psi and a little noise.
constexpr double kLowestPsi = 1.4;
constexpr double kHighestPsi = 4.6;

CommandRun RunOf(Command c, int count) {
  return {static_cast<std::uint8_t>(c), count};
}

QJsonObject InfoJson(const QString& file) {
  QProcess info;
  info.start(Binary("pneuvista-cli"), {QStringLiteral("info"), file, QStringLiteral("--json")});
  if (!info.waitForFinished(10000) || info.exitCode() != 0) return {};
  return QJsonDocument::fromJson(info.readAllStandardOutput()).object();
}

int LineCount(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  return static_cast<int>(f.readAll().count("\r\n"));
}

// A pseudo-terminal as a program's standard error: on a terminal pneuvista-cli record
// shows its progress ("3 samples  0:00:03 ..."), which tells the tests how far a run got.
class ErrorTerminal {
 public:
  ErrorTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0)
      return;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  ~ErrorTerminal() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  bool ok() const { return slave_ >= 0; }
  // The process started next writes its standard error here.
  void attach(QProcess& process) const {
    process.setChildProcessModifier([fd = slave_] { ::dup2(fd, STDERR_FILENO); });
  }
  // Once the process has the terminal, only it holds the slave: when it ends, the
  // master reads to the end of what it wrote.
  void detach() {
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
  }
  // What arrived since the last call.
  QByteArray read() {
    QByteArray bytes;
    char buffer[512];
    ssize_t n;
    while (master_ >= 0 && (n = ::read(master_, buffer, sizeof buffer)) > 0) bytes.append(buffer, n);
    return bytes;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
};

// A meter at 4 readings a second and a recording of it into a fresh folder.
struct Recording {
  QTemporaryDir dir;
  PtyMeter meter;
  ErrorTerminal terminal;
  Program program;
  QString out = dir.path() + QStringLiteral("/run.KvtDat");
  QString txt = dir.path() + QStringLiteral("/run.txt");
  QByteArray stdOut;

  Recording() {
    meter.setFramesPerSecond(4);
    EXPECT_TRUE(meter.start()) << meter.errorString();
    EXPECT_TRUE(terminal.ok());
  }
  void start(const QStringList& extra) {
    terminal.attach(program.process);
    program.start(Binary("pneuvista-cli"),
                  QStringList{QStringLiteral("record"), QStringLiteral("--device"),
                              QString::fromStdString(meter.devicePath()), QStringLiteral("--out"), out} +
                      extra);
    program.process.waitForStarted();
    terminal.detach();
  }
  bool runSent(int timeoutMs = 10000) {
    return WaitFor([this] { return meter.model().commandCount(Command::Run) >= 3; }, timeoutMs);
  }
  // The sample count the progress line shows now, -1 before the run began.
  int shownSamples() {
    program.err += terminal.read();
    const QString err = QString::fromUtf8(program.err);
    auto shown = QRegularExpression(QStringLiteral("(\\d+) samples?  \\d")).globalMatch(err);
    int n = -1;
    while (shown.hasNext()) n = shown.next().captured(1).toInt();
    return n;
  }
  // Waits until the run has taken at least n samples; returns how many it had then.
  int waitForSamples(int n) {
    WaitFor([&] { return shownSamples() >= n; }, 30000);
    return shownSamples();
  }
  // The exit status once the program ended within the time, else -1.
  int finish(int timeoutMs) {
    if (!WaitFor([this] { return program.process.state() == QProcess::NotRunning; }, timeoutMs)) return -1;
    return collect();
  }
  int terminate() {
    const int status = program.terminate();
    collect();
    return status;
  }
  int collect() {
    program.err += program.process.readAllStandardError() + terminal.read();
    stdOut += program.process.readAllStandardOutput();
    return program.process.exitStatus() == QProcess::NormalExit ? program.process.exitCode() : -2;
  }
  // The sample count the program reported on standard output, -1 when it reported none.
  int reportedSamples() const {
    const auto m =
        QRegularExpression(QStringLiteral("recorded (\\d+) samples?")).match(QString::fromUtf8(stdOut));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  }
  // The meter reads the goodbye after the program has gone.
  bool saidGoodbye() {
    return WaitFor([this] { return meter.model().commandCount(Command::Disconnect) >= 6; }, 5000);
  }
  std::string log() const { return program.err.toStdString() + stdOut.toStdString(); }
};

TEST(Record, TakesTheRequestedSamplesThroughTheWindowsCommandsAndSavesBothFiles) {
  Recording r;
  r.start(
      {QStringLiteral("--interval"), QStringLiteral("1"), QStringLiteral("--samples"), QStringLiteral("5")});
  ASSERT_EQ(r.finish(60000), 0) << r.log();
  ASSERT_TRUE(r.saidGoodbye()) << r.log();
  EXPECT_EQ(r.meter.model().commandRuns(),
            (std::vector<CommandRun>{RunOf(Command::Connect, 3), RunOf(Command::Run, 3),
                                     RunOf(Command::Exit, 3), RunOf(Command::Disconnect, 6)}));
  EXPECT_EQ(r.reportedSamples(), 5) << r.log();

  const QJsonObject info = InfoJson(r.out);
  EXPECT_EQ(info.value(QStringLiteral("count")).toInt(), 5);
  EXPECT_EQ(info.value(QStringLiteral("interval_ms")).toInt(), 1000);
  EXPECT_EQ(info.value(QStringLiteral("unit")).toString(), QStringLiteral("psi"));
  const QJsonArray records = info.value(QStringLiteral("records")).toArray();
  ASSERT_EQ(records.size(), 5);
  for (const auto& record : records) {
    const QJsonObject o = record.toObject();
    EXPECT_GT(o.value(QStringLiteral("value")).toDouble(), kLowestPsi);
    EXPECT_LT(o.value(QStringLiteral("value")).toDouble(), kHighestPsi);
    EXPECT_EQ(o.value(QStringLiteral("full_scale")).toDouble(), 52.0);
    EXPECT_EQ(o.value(QStringLiteral("unit")).toInt(), kPsiCode);
  }
  EXPECT_EQ(LineCount(r.txt), 1 + 5);
}

TEST(Record, DurationEndsTheRunAndNoTxtWritesTheDataFileAlone) {
  Recording r;
  // An interval below one second counts as one, as in the sample-rate dialog.
  r.start({QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--duration"),
           QStringLiteral("3"), QStringLiteral("--no-txt")});
  ASSERT_EQ(r.finish(60000), 0) << r.log();
  const QJsonObject info = InfoJson(r.out);
  EXPECT_EQ(info.value(QStringLiteral("count")).toInt(), 3) << r.log();
  EXPECT_EQ(info.value(QStringLiteral("interval_ms")).toInt(), 1000);
  EXPECT_FALSE(QFile::exists(r.txt));
  EXPECT_EQ(QDir(r.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "temporaries left behind";
}

TEST(Record, SigtermSavesTheSamplesTakenSoFar) {
  Recording r;
  r.start({QStringLiteral("--interval"), QStringLiteral("1")});
  const int shown = r.waitForSamples(3);
  ASSERT_GE(shown, 3) << r.log();
  const QDir journals(r.program.config.path() + QStringLiteral("/state/pneuvista"), QStringLiteral("*.pvjournal"));
  EXPECT_EQ(journals.entryList(QDir::Files).size(), 1);
  ASSERT_EQ(r.terminate(), 0) << r.log();
  // Every sample taken before the signal is saved (one more may fall due meanwhile),
  // and the run's journal goes with the saved run.
  const int reported = r.reportedSamples();
  EXPECT_GE(reported, shown) << r.log();
  EXPECT_EQ(InfoJson(r.out).value(QStringLiteral("count")).toInt(), reported);
  EXPECT_EQ(LineCount(r.txt), 1 + reported);
  EXPECT_TRUE(journals.entryList(QDir::Files).isEmpty());
  ASSERT_TRUE(r.saidGoodbye()) << r.log();
  const std::vector<CommandRun> runs = r.meter.model().commandRuns();
  ASSERT_GE(runs.size(), 2u);
  EXPECT_EQ(runs[runs.size() - 2], RunOf(Command::Exit, 3));
  EXPECT_EQ(runs.back(), RunOf(Command::Disconnect, 6));
}

// A reader of the output that went away, or the terminal closing (SIGHUP), is no failed
// recording: the samples taken are saved and the status is 0.
TEST(Record, APipeWithoutReaderOrAHangUpStillSavesTheRun) {
  for (const bool hangUp : {false, true}) {
    SCOPED_TRACE(hangUp ? "SIGHUP" : "record | true");
    Recording r;
    r.terminal.attach(r.program.process);
    const QString record = Binary("pneuvista-cli") + " record --interval 1 --device " +
                           QString::fromStdString(r.meter.devicePath()) + " --out " + r.out;
    r.program.start(QStringLiteral("/bin/bash"),
                    {QStringLiteral("-c"),
                     hangUp ? "exec " + record : record + " --samples 2 | true; exit ${PIPESTATUS[0]}"});
    r.program.process.waitForStarted();
    r.terminal.detach();
    if (hangUp) {
      ASSERT_GE(r.waitForSamples(2), 2) << r.log();
      ::kill(static_cast<pid_t>(r.program.process.processId()), SIGHUP);
    }
    ASSERT_EQ(r.finish(60000), 0) << r.log();
    EXPECT_GE(InfoJson(r.out).value(QStringLiteral("count")).toInt(), 2) << r.log();
  }
}

TEST(Record, UnpluggedMeterEndsTheRunWithStatusThreeAndKeepsItsSamples) {
  Recording r;
  r.start({QStringLiteral("--interval"), QStringLiteral("1")});
  const int shown = r.waitForSamples(2);
  ASSERT_GE(shown, 2) << r.log();
  r.meter.unplug();
  // The watchdog notices 5 to 10 s of silence.
  ASSERT_EQ(r.finish(kWatchdogWaitMs), 3) << r.log();
  EXPECT_TRUE(r.program.err.contains("stopped answering")) << r.log();
  const int reported = r.reportedSamples();
  EXPECT_GE(reported, shown) << r.log();
  EXPECT_EQ(InfoJson(r.out).value(QStringLiteral("count")).toInt(), reported);
  EXPECT_EQ(LineCount(r.txt), 1 + reported);
}

TEST(Record, SilentMeterStartsNoRunAndWritesNothing) {
  Recording r;
  r.meter.silence(60000);
  r.start({QStringLiteral("--interval"), QStringLiteral("1")});
  // The watchdog gives up at its second silent tick, 8 s after start-up.
  ASSERT_EQ(r.finish(kWatchdogWaitMs), 3) << r.log();
  EXPECT_TRUE(r.program.err.contains("no reading")) << r.log();
  EXPECT_FALSE(QFile::exists(r.out));
  EXPECT_FALSE(QFile::exists(r.txt));
  ASSERT_TRUE(r.saidGoodbye()) << r.log();
  EXPECT_EQ(r.meter.model().commandCount(Command::Run), 0);
  // Greeted at start-up and again when the watchdog reopened the port.
  EXPECT_GE(r.meter.model().commandCount(Command::Connect), 6);
}

TEST(Record, RefusesWhatItCannotDoWithoutTouchingTheMeter) {
  QTemporaryDir dir;
  const QString out = dir.path() + QStringLiteral("/x.KvtDat");
  const QString missing = dir.path() + QStringLiteral("/no-such-tty");
  struct Case {
    QStringList args;
    int status;
    QString message;  // part of standard error
  };
  const Case cases[] = {
      {{"--device", missing, "--interval", "1", "--out", out}, 1, missing + ": No such file or directory"},
      {{"--device", missing, "--interval", "1", "--out", dir.path() + "/none/x.KvtDat"}, 1, "/none"},
      {{"--device", missing, "--interval", "1"}, 2, "Usage:"},
      {{"--device", missing, "--out", out}, 2, "--interval"},
      {{"--interval", "1", "--out", out}, 2, "--demo"},
      {{"--demo", "--device", missing, "--interval", "1", "--out", out}, 2, "exclude"},
      {{"--device", missing, "--interval", "one", "--out", out}, 2, "'one'"},
      {{"--device", missing, "--interval", "1", "--out", out, "--samples", "0"}, 2, "--samples"},
      {{"--device", missing, "--interval", "1", "--out", out, "--duration", "-2"}, 2, "--duration"},
      {{"--device", missing, "--interval", "1", "--out", out, "--bogus"}, 2, "--bogus"},
      {{"--device"}, 2, "needs a value"},
  };
  for (const Case& c : cases) {
    QProcess p;
    p.start(Binary("pneuvista-cli"), QStringList{QStringLiteral("record")} + c.args);
    ASSERT_TRUE(p.waitForFinished(10000)) << c.args.join(' ').toStdString();
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), c.status) << c.args.join(' ').toStdString() << "\n" << err.toStdString();
    EXPECT_TRUE(err.contains(c.message)) << c.args.join(' ').toStdString() << "\n" << err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(out));
}

}  // namespace
}  // namespace pv::e2e
