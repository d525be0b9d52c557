// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <memory>

#include "app_model.h"
#include "e2e_support.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "small_disk.h"

namespace pv::e2e {
namespace {

using Result = CliResult;

// Runs pneuvista-cli with no display setting at all, as from a root shell or a service:
// printing must find its own way.
Result RunCli(const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  return e2e::RunCli(args, env);
}

// A saved run of `n` kgcm samples rising by 1 % of full scale each.
QString WriteRun(const QTemporaryDir& dir, const char* name, int n) {
  auto m = std::make_unique<AppModel>();
  const UnitInfo& kgcm = kUnits[7];
  m->store.sampleCount = n;
  m->run.intervalMs = 2000;
  m->run.startText = "08:30:00";
  m->run.endText = "08:31:00";
  m->run.startHour = 8;
  m->run.startMinute = 30;
  for (int i = 0; i < n; ++i) {
    m->store.values[i] = kgcm.fullScale * 0.01f * static_cast<float>(i);
    m->store.fullScaleAt[i] = kgcm.fullScale;
    m->store.toPsiAt[i] = kgcm.toPsi;
    m->store.unitAt[i] = 7;
    m->store.unitNameAt[i] = kgcm.name;
  }
  const auto bytes = EncodeDataLoggerFile(*m);
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  return path;
}

QByteArray PdfText(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (tool.isEmpty()) return {};
  QProcess p;
  p.start(tool, {pdf, QStringLiteral("-")});
  p.waitForFinished(60000);
  return p.readAllStandardOutput();
}

bool IsPdf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

TEST(PrintCli, PrintsALoggerFileAsThePressureGraphPage) {
  QTemporaryDir dir;
  const QString input = WriteRun(dir, "tank.KvtDat", 31);
  const QString pdf = dir.filePath(QStringLiteral("tank.pdf"));
  const Result r = RunCli({QStringLiteral("print"), input, QStringLiteral("--pdf"), pdf});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.err.toStdString(), "");
  ASSERT_TRUE(IsPdf(pdf));
  const QByteArray text = PdfText(pdf);
  if (text.isEmpty()) GTEST_SKIP() << "pdftotext not installed";
  // Title, unit, the full-view labels of kgcm, the stored first and last times, the path.
  for (const char* expected : {"Pressure Graph", "pressure:", "kgcm", "+0.366", "-0.183", "08:30:00",
                               "08:30:30", "08:31:00", "tank.KvtDat"})
    EXPECT_TRUE(text.contains(expected)) << expected << " not in:\n" << text.toStdString();
}

TEST(PrintCli, AOneRecordFileGivesTheEmptyPageWithANote) {
  QTemporaryDir dir;
  const QString input = WriteRun(dir, "one.KvtDat", 1);
  const QString pdf = dir.filePath(QStringLiteral("one.pdf"));
  const Result r = RunCli({QStringLiteral("print"), input, QStringLiteral("--pdf"), pdf});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("holds 1 record; a graph needs at least two")) << r.err.toStdString();
  ASSERT_TRUE(IsPdf(pdf));
  const QByteArray text = PdfText(pdf);
  if (text.isEmpty()) GTEST_SKIP() << "pdftotext not installed";
  EXPECT_TRUE(text.contains("Pressure Graph"));
  EXPECT_FALSE(text.contains("pressure:"));
}

TEST(PrintCli, BadFilesAndWrongUsageAreToldWithTheirStatus) {
  QTemporaryDir dir;
  const QString good = WriteRun(dir, "good.KvtDat", 3);
  const QString broken = dir.filePath(QStringLiteral("broken.KvtDat"));
  {
    QFile f(broken);
    f.open(QIODevice::WriteOnly);
    f.write("\x05\x00\x00\x00\xff", 5);
  }
  const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
  struct Case {
    const char* name;
    QStringList args;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {"missing file",
       {QStringLiteral("print"), dir.filePath(QStringLiteral("none.KvtDat")), "--pdf", pdf},
       1,
       "none.KvtDat"},
      {"malformed file", {QStringLiteral("print"), broken, "--pdf", pdf}, 1, "broken.KvtDat"},
      {"unwritable output",
       {QStringLiteral("print"), good, "--pdf", dir.filePath(QStringLiteral("no/out.pdf"))},
       1,
       "no/out.pdf: cannot create a file in"},
      {"no output", {QStringLiteral("print"), good}, 2, "Usage: pneuvista-cli print"},
      {"no input", {QStringLiteral("print"), "--pdf", pdf}, 2, "no file given"},
      {"unknown option", {QStringLiteral("print"), good, "--pdf", pdf, "--png"}, 2, "unknown option"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
  }
}

// A PDF that cannot be written whole leaves the file that was there and fails, naming
// the file and the reason; a device is never written as if it were the PDF.
TEST(PrintCli, APdfThatCannotBeWrittenWholeLeavesTheOldFileAndFails) {
  QTemporaryDir dir;
  const std::string run = WriteRun(dir, "run.KvtDat", 40).toStdString();
  const std::string disk = dir.filePath(QStringLiteral("disk")).toStdString();
  ASSERT_TRUE(QDir().mkdir(QString::fromStdString(disk)));
  const std::string cli = Binary("pneuvista-cli").toStdString();
  PV_ON_SMALL_DISK(disk, [&] {
    const std::string pdf = disk + "/old.pdf";
    std::ofstream(pdf) << "the old PDF";
    testsupport::FillUp(disk);
    const auto [status, said] =
        testsupport::RunShell("'" + cli + "' print '" + run + "' --pdf '" + pdf + "'");
    std::ifstream kept(pdf);
    const std::string old((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    if (status != 1) return "exit status " + std::to_string(status) + ": " + said;
    if (said.find("pneuvista-cli: " + pdf + ": cannot write: No space left on device\n") == std::string::npos)
      return "said: " + said;
    return old == "the old PDF" ? std::string() : "the old PDF became: " + old.substr(0, 40);
  });
  const Result full = RunCli({QStringLiteral("print"), QString::fromStdString(run), QStringLiteral("--pdf"),
                              QStringLiteral("/dev/full")});
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_TRUE(full.err.contains("pneuvista-cli: /dev/full: not a regular file; choose another name\n"))
      << full.err.toStdString();
}

}  // namespace
}  // namespace pv::e2e
