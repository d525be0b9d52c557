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

TEST(HoldTestCli, SaysWhetherTheRunHeldAndExitsBySo) {
  QTemporaryDir dir;
  Write(dir, "run.KvtDat", LeakingRun());
  Write(dir, "record.json", R"({"test_id": "T-17", "witness": "W. Itness"})");
  Write(dir, "damaged.json", R"({"test_id": 17})");
  Write(dir, "hostile.KvtDat", QByteArray(300, '\xff'));
  const struct {
    const char* args;
    int exit;
    std::vector<const char*> shown;  // on standard output or error
  } cases[] = {
      {"run.KvtDat --allowed-percent 0.5",
       4,
       {"Window: 23:59:00 to 00:02:30, 210 s, 8 samples, 1 error\nStart: 1.251 bar\nEnd: 1.230 bar\n"
        "Change: -0.021 bar (-1.68 %), falling\nRate: -0.0060 bar/min\n"
        "Allowed: 0.50 % of the start (0.006 bar)\nMinimum: none\n",
        "Checkpoint 1: 23:59:52, 1.250 bar, change -0.001\nCheckpoint 2: 00:00:45, 1.245 bar, change -0.005, "
        "steeper\n"
        "Checkpoint 3: 00:01:37, 1.236 bar, change -0.009, steeper\nCheckpoint 4: 00:02:30, 1.230 bar, "
        "change -0.006\n"
        "Result: NOT PASSED\n  dropped 1.68 % (allowed 0.50 %)\n  1 error sample in the window\n"}},
      {"run.KvtDat --from 23:59:30 --to 120 --allowed-percent 2",
       0,
       {"Window: 23:59:30 to 00:01:00, 90 s, 4 samples", "Result: PASSED\n"}},
      {"run.KvtDat --from 30 --duration 60 --allowed 0.02 --checkpoints 2",
       0,
       {"Allowed: 0.020 bar (1.60 %)",
        "Checkpoint 2: 00:00:30, 1.245 bar, change -0.003, steeper\nResult: PASSED"}},
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
      {"run.KvtDat --allowed 1 --from 00:02:30", 4, {"the window holds only error samples"}},
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
    QStringList args{QStringLiteral("holdtest")};
    for (const QString& a : QString::fromLatin1(c.args).split(u' '))
      args << (a.endsWith(u".KvtDat") || a.endsWith(u".json") || a.endsWith(u".pdf") ? dir.filePath(a) : a);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));  // a comma locale must not leak in
    const CliResult r = RunCli(args, env);
    EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
    const QByteArray shown = r.out + r.err;
    for (const char* text : c.shown)
      EXPECT_TRUE(shown.contains(text)) << text << "\nin:\n" << shown.toStdString();
  }
  QFile pdf(dir.filePath(QStringLiteral("record.pdf")));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

}  // namespace
}  // namespace pv::e2e
