// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli ports against the simulated meter and a pseudo-terminal that is no
// meter: what is listed, what the probe says of each, and the meter's goodbye.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>

#include "e2e_support.h"
#include "sim/pty_meter.h"

namespace pv::e2e {
namespace {

// A pseudo-terminal whose other side never answers.
class SilentTerminal {
 public:
  SilentTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 && ptsname_r(master_, name, sizeof name) == 0)
      path_ = QString::fromLatin1(name);
  }
  ~SilentTerminal() {
    if (master_ >= 0) ::close(master_);
  }
  const QString& path() const { return path_; }

 private:
  int master_ = -1;
  QString path_;
};

// The line of one device in the output, split into its fields.
QStringList LineOf(const QByteArray& out, const QString& path) {
  for (const QByteArray& line : out.split('\n')) {
    const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
    if (fields.value(0) == path) return fields;
  }
  return {};
}

struct PortsRun {
  Program program;
  QByteArray out;
  int run(const QStringList& args) {
    program.start(Binary("pneuvista-cli"), QStringList{QStringLiteral("ports")} + args);
    // Only a guard against a hang: the probe listens 1.5 s.
    if (!WaitFor([this] { return program.process.state() == QProcess::NotRunning; }, 20000)) return -1;
    out = program.process.readAllStandardOutput();
    program.err += program.process.readAllStandardError();
    return program.process.exitStatus() == QProcess::NormalExit ? program.process.exitCode() : -2;
  }
};

TEST(Ports, ProbeTellsTheMeterFromATerminalThatIsNoneAndSaysGoodbyeToTheMeter) {
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  SilentTerminal other;
  ASSERT_FALSE(other.path().isEmpty());
  const QString meterPath = QString::fromStdString(meter.devicePath());
  PortsRun p;
  ASSERT_EQ(p.run({QStringLiteral("--probe"), meterPath, other.path()}), 0) << p.program.err.toStdString();
  const QStringList found = LineOf(p.out, meterPath);
  const QStringList none = LineOf(p.out, other.path());
  ASSERT_EQ(found.size(), 7) << p.out.toStdString();
  EXPECT_EQ(found[5], QStringLiteral("free"));
  EXPECT_EQ(found[6], QStringLiteral("meter"));
  ASSERT_EQ(none.size(), 7) << p.out.toStdString();
  EXPECT_EQ(none[6], QStringLiteral("not a meter"));
  EXPECT_TRUE(WaitFor([&] { return meter.model().commandCount(Command::Disconnect) >= 6; }, 5000));
  EXPECT_GE(meter.model().commandCount(Command::Connect), 3);
  EXPECT_EQ(meter.model().commandCount(Command::Exit), 3);
}

TEST(Ports, ListsGivenPathsAndTellsBusyOnesWithoutProbingThem) {
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  SilentTerminal other;
  const QString meterPath = QString::fromStdString(meter.devicePath());
  // The monitor holds the meter, as the window would.
  Program holder;
  holder.start(Binary("pneuvista-cli"), {QStringLiteral("monitor"), QStringLiteral("--device"), meterPath});
  holder.process.setReadChannel(QProcess::StandardOutput);
  ASSERT_TRUE(WaitFor([&] { return holder.process.canReadLine(); }, 10000));
  ASSERT_TRUE(WaitFor([&] { return meter.model().commandCount(Command::Connect) >= 3; }, 10000));

  PortsRun list;
  ASSERT_EQ(list.run({meterPath, other.path()}), 0) << list.program.err.toStdString();
  EXPECT_EQ(LineOf(list.out, meterPath).value(5), QStringLiteral("busy")) << list.out.toStdString();
  EXPECT_EQ(LineOf(list.out, other.path()).value(5), QStringLiteral("free")) << list.out.toStdString();
  EXPECT_EQ(LineOf(list.out, other.path()).size(), 6);

  PortsRun probe;
  ASSERT_EQ(probe.run({QStringLiteral("--probe"), meterPath, other.path()}), 1);
  EXPECT_EQ(LineOf(probe.out, meterPath).value(6), QStringLiteral("busy")) << probe.out.toStdString();
  EXPECT_TRUE(probe.program.err.contains("no meter found"));
  EXPECT_EQ(holder.terminate(), 0);

  PortsRun wrong;
  EXPECT_EQ(wrong.run({QStringLiteral("--bogus")}), 2);
}

TEST(Ports, AMeterHeldThroughALinkIsBusyAndNotGreeted) {
  // The window opens a configured or stable name, a link to the device the system lists.
  QTemporaryDir dir;
  const std::string link = (dir.path() + QStringLiteral("/meter")).toStdString();
  PtyMeter meter{link};
  ASSERT_TRUE(meter.start()) << meter.errorString();
  Program holder;
  holder.start(Binary("pneuvista-cli"), {QStringLiteral("monitor"), QStringLiteral("--device"), QString::fromStdString(link)});
  holder.process.setReadChannel(QProcess::StandardOutput);
  ASSERT_TRUE(WaitFor([&] { return holder.process.canReadLine(); }, 10000));

  const QString device = QString::fromStdString(meter.slavePath());
  PortsRun probe;
  ASSERT_EQ(probe.run({QStringLiteral("--probe"), device}), 1) << probe.out.toStdString();
  EXPECT_EQ(LineOf(probe.out, device).value(6), QStringLiteral("busy")) << probe.out.toStdString();
  EXPECT_EQ(meter.model().commandCount(Command::Exit), 0);
  EXPECT_EQ(holder.terminate(), 0);
}

}  // namespace
}  // namespace pv::e2e
