// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <memory>

#include "app_model.h"
#include "e2e_support.h"
#include "files/datalogger_file.h"
#include "pneuvista_version.h"
#include "sim/pty_meter.h"

namespace pv::e2e {
namespace {

TEST(Program, GreetsTheMeterShowsItsReadingsAndSaysGoodbyeOnClose) {
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  Program program;
  program.start(Binary("pneuvista"), {QStringLiteral("--device"), QString::fromStdString(meter.devicePath()),
                                      QStringLiteral("--trace")});
  ASSERT_TRUE(WaitFor([&] { return meter.model().commandCount(Command::Connect) >= 3; }, 15000))
      << program.err.toStdString();
  EXPECT_EQ(meter.model().commandLog(), std::vector<std::uint8_t>(3, 0x01));
  ASSERT_TRUE(WaitFor([&] { return program.count("reading +") + program.count("reading -") >= 3; }, 10000))
      << program.err.toStdString();
  meter.model().clearCommandLog();
  EXPECT_EQ(program.terminate(), 0) << program.err.toStdString();
  // EXIT three times, then DISCONNECT six times.
  ASSERT_TRUE(WaitFor([&] { return meter.model().commandLog().size() >= 9; }, 5000));
  std::vector<std::uint8_t> expected(9, 0x02);
  std::fill_n(expected.begin(), 3, std::uint8_t{0x12});
  EXPECT_EQ(meter.model().commandLog(), expected);
}

TEST(Program, DemoRunsTheSimulatedMeterAndClosesCleanly) {
  Program program;
  program.start(Binary("pneuvista"), {QStringLiteral("--demo"), QStringLiteral("--trace")});
  ASSERT_TRUE(WaitFor([&] { return program.count("meter received 01") >= 3 && program.count("reading ") >= 2; },
                      15000))
      << program.err.toStdString();
  EXPECT_EQ(program.terminate(), 0) << program.err.toStdString();
}

TEST(Program, UsageAndWrongUsage) {
  struct Case {
    QStringList args;
    int status;
    const char* mentions;
  };
  const Case cases[] = {
      {{QStringLiteral("--help")}, 0, "Usage: pneuvista"},
      {{QStringLiteral("--bogus")}, 2, "unknown argument: --bogus"},
      {{QStringLiteral("a.KvtDat"), QStringLiteral("b.KvtDat")}, 2, "more than one file given: b.KvtDat"},
  };
  for (const Case& c : cases) {
    Program program;
    program.start(Binary("pneuvista"), c.args);
    ASSERT_TRUE(program.process.waitForFinished(15000));
    EXPECT_EQ(program.process.exitCode(), c.status);
    const QByteArray text =
        program.process.readAllStandardOutput() + program.err + program.process.readAllStandardError();
    EXPECT_TRUE(text.contains(c.mentions)) << text.toStdString();
  }
}

// Help and the version come on a terminal without a display, as when the man pages are
// made at build time: Qt's X11 platform with no display to reach would abort the program.
TEST(Program, EveryProgramAnswersVersionAndHelpWithoutADisplay) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  for (const char* binary : {"pneuvista", "pneuvista-cli", "pneuvista-meter-sim"}) {
    SCOPED_TRACE(binary);
    const CliResult version = RunToEnd(binary, {QStringLiteral("--version")}, env);
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out.toStdString(), std::string(binary) + " " + pneuvista::kVersion + "\n");
    const CliResult help = RunToEnd(binary, {QStringLiteral("--help")}, env);
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.toLower().startsWith("usage: ")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--version")) << help.out.toStdString();
  }
}

// Without a graphical session the window cannot open: one line says so and names the
// command-line tool, and the status is 1, whether no display is named or the one named
// does not answer.
TEST(Program, WithoutADisplayItSaysSoInOneLineAndExitsWithOne) {
  struct Case {
    const char* name;
    const char* platform;  // QT_QPA_PLATFORM, none when empty
    const char* display;   // DISPLAY, none when empty
  };
  const Case cases[] = {
      {"nothing set", "", ""},
      {"X11 asked for, no display", "xcb", ""},
      {"a display that does not answer", "xcb", ":739"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
      env.remove(QString::fromLatin1(name));
    if (*c.platform) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(c.platform));
    if (*c.display) env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(c.display));
    const CliResult r = RunToEnd("pneuvista", {QStringLiteral("--demo")}, env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("pneuvista: needs a graphical session")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("pneuvista-cli works without one")) << r.err.toStdString();
  }
}

// A data-logger file named on the command line is loaded and shown in the Graph window; one
// that cannot be read is told, and the program goes on talking to the meter.
TEST(Program, OpensTheFileNamedOnTheCommandLine) {
  QTemporaryDir dir;
  const QString good = dir.filePath(QStringLiteral("run 1.5 bar.KvtDat"));
  {
    auto m = std::make_unique<AppModel>();
    m->store.sampleCount = 3;
    m->run.intervalMs = 1000;
    const std::vector<std::uint8_t> bytes = EncodeDataLoggerFile(*m);
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  }
  const QString missing = dir.filePath(QStringLiteral("gone.KvtDat"));
  struct Case {
    QString path;
    QByteArray told;
  };
  const Case cases[] = {
      {good, "opened " + good.toUtf8() + ": 3 records"},
      {missing, "pneuvista: The file could not be opened. " + missing.toUtf8()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    Program program;
    program.start(Binary("pneuvista"), {QStringLiteral("--demo"), QStringLiteral("--trace"), c.path});
    ASSERT_TRUE(WaitFor([&] { return program.err.contains(c.told); }, 15000)) << program.err.toStdString();
    const int readings = program.count("reading ");
    ASSERT_TRUE(WaitFor([&] { return program.count("reading ") >= readings + 2; }, 15000))
        << program.err.toStdString();
    EXPECT_EQ(program.terminate(), 0) << program.err.toStdString();
  }
}

}  // namespace
}  // namespace pv::e2e
