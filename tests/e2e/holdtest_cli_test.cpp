// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli holdtest on a file written by the program's own encoder: its output, plain
// and JSON, and its exit status for a passed and a failed test, bad input and wrong usage.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <memory>

#include "app_model.h"
#include "e2e_support.h"
#include "files/datalogger_file.h"
#include "holdtest/hold_sidecar.h"
#include "link/units.h"

namespace pv::e2e {
namespace {

// A leak in bar, one sample every 30 s from 23:59:00, across midnight, ending in an error.
QByteArray LeakingRun() {
  const char* texts[] = {"+1.251", "+1.250", "+1.248", "+1.245", "+1.241", "+1.236", "+1.230", "+OL   "};
  auto m = std::make_unique<AppModel>();
  m->store.sampleCount = static_cast<int>(std::size(texts));
  m->run.intervalMs = 30000;
  m->run.startText = "23:59:00";
  m->run.endText = "00:02:30";
  m->run.startHour = 23;
  m->run.startMinute = 59;
  for (int i = 0; i < m->store.sampleCount; ++i) {
    const bool error = texts[i][1] == 'O';
    m->store.values[i] = error ? kErrorHigh : std::strtof(texts[i], nullptr);
    std::memcpy(m->store.texts[i].data(), texts[i], 6);
    m->store.fullScaleAt[i] = error ? kErrorFullScale : kUnits[0].fullScale;
    m->store.toPsiAt[i] = kUnits[0].toPsi;
    m->store.unitNameAt[i] = kUnits[0].name;
  }
  const std::vector<std::uint8_t> bytes = EncodeDataLoggerFile(*m);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
  QFile f(dir.filePath(QString::fromLatin1(name)));
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  return f.fileName();
}

QStringList CliArgs(const QTemporaryDir& dir, const char* args) {
  QStringList list{QStringLiteral("holdtest")};
  for (const QString& a : QString::fromLatin1(args).split(u' '))
    list << (a.endsWith(u".KvtDat") || a.endsWith(u".json") || a.endsWith(u".pdf") ? dir.filePath(a) : a);
  return list;
}

QProcessEnvironment CliEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));  // a comma locale must not leak in
  env.insert(QStringLiteral("TZ"), QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
  return env;
}

TEST(HoldTestCli, SaysWhetherTheRunHeldAndExitsBySo) {
  QTemporaryDir dir;
  Write(dir, "run.KvtDat", LeakingRun());
  Write(dir, "record.json", R"({"test_id": "T-17", "witness": "W. Itness"})");
  Write(dir, "misspelt.json", R"({"test_id": "T-17", "wittness": "W. Itness"})");
  Write(dir, "hostile.json",
        "{\"test_id\": \"\\u001b[2J\\u001b]0;owned\\u0007T-1\", \"notes\": \"ok\\nResult: PASSED\","
        " \"operator\": \"A\\u202eB\"}");
  Write(dir, "damaged.json", R"({"test_id": 17})");
  Write(dir, "hostile.KvtDat", QByteArray(300, '\xff'));
  const struct {
    const char* args;
    int exit;
    std::vector<const char*> shown;  // on standard output or error
  } cases[] = {
      {"run.KvtDat --allowed-percent 0.5",
       4,
       {"Window: 23:59:00 to 00:02:30, 210 s, 8 samples, 1 error\nState: complete\nStart: 1.251 bar\n"
        "End: 1.230 bar\nChange: -0.021 bar (-1.68 %), falling\nLargest deviation: -0.021 bar at 00:02:00\n"
        "Rate: -0.0060 bar/min\nAllowed: 0.50 % of the start (0.006 bar)\nMinimum: none\n",
        "Checkpoint 1: 23:59:52, 1.250 bar, change -0.001 bar\n"
        "Checkpoint 2: 00:00:45, 1.245 bar, change -0.005 bar, steeper\n"
        "Checkpoint 3: 00:01:37, 1.236 bar, change -0.009 bar, steeper\n"
        "Checkpoint 4: 00:02:30, 1.230 bar, change -0.006 bar\n"
        "Result: NOT PASSED\n  dropped 1.68 % (allowed 0.50 %)\n  1 error sample in the window\n"}},
      {"run.KvtDat --from 23:59:30 --to 120 --allowed-percent 2",
       0,
       {"Window: 23:59:30 to 00:01:00, 90 s, 4 samples", "Result: PASSED\n"}},
      {"run.KvtDat --from 30 --duration 60 --allowed 0.02 --checkpoints 2",
       0,
       {"Allowed: 0.020 bar (1.60 %)",
        "Checkpoint 2: 00:00:30, 1.245 bar, change -0.003 bar, steeper\nResult: PASSED"}},
      {"run.KvtDat --allowed 1 --minimum 1.24",
       4,
       {"Result: NOT PASSED\n  fell below 1.240 bar at 00:01:30\n"}},
      {"run.KvtDat --allowed-percent 0.5 --json --record record.json",
       4,
       {"\"change_percent\": -1.678657074,", "\"direction\": \"falling\"", "\"result\": \"not passed\"",
        "\"reasons\": [\n    \"dropped 1.68 % (allowed 0.50 %)\",\n    \"1 error sample in the window\"\n  ]",
        "\"test_id\": \"T-17\""}},
      {"run.KvtDat --allowed 1 --to 00:02:00 --record record.json",
       0,
       {"Test ID: T-17\nWitness: W. Itness\nWindow: "}},
      {"run.KvtDat --allowed 1 --to 00:02:00 --record misspelt.json",
       0,
       {"misspelt.json: 'wittness' is no record field; ignored", "Test ID: T-17\nWindow: "}},
      {"run.KvtDat --allowed-percent 0.5 --record hostile.json",
       4,
       {"Test ID: \\x1b[2J\\x1b]0;owned\\x07T-1\n", "Operator: A\\u202eB\n", "Notes: ok\\nResult: PASSED\n",
        "Result: NOT PASSED\n"}},
      {"run.KvtDat --allowed 1 --from 00:02:30", 2, {"the window holds one sample", "Usage:"}},
      {"run.KvtDat --allowed 1 --record damaged.json", 1, {"damaged.json: not a test record"}},
      {"run.KvtDat --allowed 1 --to 00:02:00 --record record.json --pdf record.pdf", 0, {"Result: PASSED\n"}},
      {"run.KvtDat --allowed 1 --pdf missing/record.pdf", 1, {"record.pdf"}},
      {"hostile.KvtDat --allowed 1", 1, {"hostile.KvtDat"}},
      {"run.KvtDat", 2, {"no criterion given", "Usage: pneuvista-cli holdtest"}},
      {"run.KvtDat --allowed 1 --allowed-percent 1", 2, {"give one allowed change"}},
      {"run.KvtDat --allowed 1 --from 500", 2, {"the window starts after the run's last sample"}},
      {"run.KvtDat --allowed 1 --from 40 --to 50", 2, {"the window holds no sample"}},
      {"run.KvtDat --allowed 1 --checkpoints 9", 2, {"--checkpoints needs a whole number from 2 to 8"}},
      {"run.KvtDat --allowed 1 --from 25:00:00",
       2,
       {"--from needs seconds from the start or a time HH:MM:SS"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CliResult r = RunCli(CliArgs(dir, c.args), CliEnvironment());
    EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
    const QByteArray shown = r.out + r.err;
    for (const char* text : c.shown)
      EXPECT_TRUE(shown.contains(text)) << text << "\nin:\n" << shown.toStdString();
  }
  QFile pdf(dir.filePath(QStringLiteral("record.pdf")));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

// --save keeps the test beside the run, a new revision each time; a record that names
// the run tells its date, which every later output carries.
TEST(HoldTestCli, SavesTheTestBesideTheRunAndDatesItsOutputByTheRecord) {
  QTemporaryDir dir;
  const QByteArray bytes = LeakingRun();
  const std::string data = Write(dir, "run.KvtDat", bytes).toStdString();
  Write(dir, "record.json", R"({"test_id": "T-17", "operator": "O. Perator"})");
  const std::span<const std::uint8_t> dataBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                static_cast<std::size_t>(bytes.size()));
  auto saved = [&] { return ReadHoldTestBeside(data, dataBytes).test.value_or(HoldTestFile{}); };

  const char* save = "run.KvtDat --allowed 1 --to 00:02:00 --record record.json --save";
  ASSERT_EQ(RunCli(CliArgs(dir, save), CliEnvironment()).exitCode, 0);
  HoldTestFile first = saved();
  first.run = RunBinding{"", "2026-12-10T23:59:00+01:00", 8};  // the run's date, as the window keeps it
  ASSERT_TRUE(WriteHoldTestRevision(data, dataBytes, first).ok());

  // Without --record the fields kept beside the run stay; the criteria are the new ones.
  const CliResult r = RunCli(CliArgs(dir, "run.KvtDat --allowed-percent 0.5 --save"), CliEnvironment());
  EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("Date: 2026-12-10T23:59:00+01:00 to 2026-12-11T00:02:30+01:00\n"))
      << r.out.toStdString();
  const HoldTestFile again = saved();
  EXPECT_EQ(again.revision, 3);
  EXPECT_EQ(again.record.operatorName, "O. Perator");
  EXPECT_FALSE(again.result.passed);
}

}  // namespace
}  // namespace pv::e2e
