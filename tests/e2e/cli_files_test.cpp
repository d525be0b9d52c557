// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli info and convert on files written by the program's own encoder, and on
// truncated and hostile files: exact outputs, exit statuses and one-line messages.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "../core/run_fixture.h"
#include "app_model.h"
#include "e2e_support.h"
#include "files/datalogger_file.h"
#include "files/run_files.h"
#include "files/sha256.h"
#include "holdtest/hold_record.h"
#include "link/units.h"

namespace pv::e2e {
namespace {

using Result = CliResult;

Result RunCli(const QStringList& args, const char* tz = "UTC") {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TZ"), QString::fromLatin1(tz));
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));  // a comma locale must not leak in
  return e2e::RunCli(args, env);
}

struct Record {
  int unit;
  float value;
  const char* text;  // six characters
};

// Eight records across units and magnitude bands, with one error record of each sign,
// starting ten seconds before midnight at a five-second interval.
const Record kRecords[] = {
    {2, 3.125f, "+3.125"}, {0, -0.215f, "-0.215"}, {4, 45.5f, "+45.50"},  {4, 5.25f, "+5.250"},
    {7, 1.5f, "+1.500"},   {2, 5.1f, "+OL   "},    {1, 150.0f, "+150.0"}, {2, -5.1f, "-OL   "},
};
constexpr int kCount = static_cast<int>(std::size(kRecords));

std::vector<std::uint8_t> EncodeRecords() {
  auto m = std::make_unique<AppModel>();
  m->store.sampleCount = kCount;
  m->run.intervalMs = 5000;
  m->run.startText = "23:59:50";
  m->run.endText = "00:00:25";
  m->run.startHour = 23;
  m->run.startMinute = 59;
  m->run.startSecond = 50;
  for (int i = 0; i < kCount; ++i) {
    const Record& r = kRecords[i];
    const bool error = std::memcmp(r.text + 1, "OL", 2) == 0;
    m->store.values[i] = r.value;
    std::memcpy(m->store.texts[i].data(), r.text, 6);
    m->store.fullScaleAt[i] = error ? kErrorFullScale : kUnits[r.unit].fullScale;
    m->store.toPsiAt[i] = error ? kErrorToPsi : kUnits[r.unit].toPsi;
    m->store.unitAt[i] = static_cast<std::uint8_t>(r.unit);
    m->store.unitNameAt[i] = kUnits[r.unit].name;
  }
  return EncodeDataLoggerFile(*m);
}

QString WriteBytes(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  return path;
}

QByteArray ToBytes(const std::vector<std::uint8_t>& v) {
  return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray G9(float v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
  return buffer;
}

TEST(CliFiles, InfoJsonGivesEveryRecordAsTheFileHoldsIt) {
  QTemporaryDir dir;
  const QString path = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const Result r = RunCli({QStringLiteral("info"), path, QStringLiteral("--json")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

  QJsonParseError parseError;
  const QJsonObject o = QJsonDocument::fromJson(r.out, &parseError).object();
  ASSERT_EQ(parseError.error, QJsonParseError::NoError) << r.out.toStdString();
  EXPECT_EQ(o[QStringLiteral("count")].toInt(), kCount);
  EXPECT_EQ(o[QStringLiteral("unit")].toString(), QStringLiteral("psi"));  // the last record's unit
  EXPECT_EQ(o[QStringLiteral("header")].toString(), QString());
  EXPECT_EQ(o[QStringLiteral("start")].toString(), QStringLiteral("23:59:50"));
  EXPECT_EQ(o[QStringLiteral("end")].toString(), QStringLiteral("00:00:25"));
  EXPECT_EQ(o[QStringLiteral("start_hour")].toInt(), 23);
  EXPECT_EQ(o[QStringLiteral("start_min")].toInt(), 59);
  EXPECT_EQ(o[QStringLiteral("start_sec")].toInt(), 50);
  EXPECT_EQ(o[QStringLiteral("interval_ms")].toInt(), 5000);
  const QJsonArray records = o[QStringLiteral("records")].toArray();
  ASSERT_EQ(records.size(), kCount);
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    const Record& want = kRecords[i];
    const QJsonObject rec = records[i].toObject();
    // "%.9g" reads back as the same single-precision bits.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(rec[QStringLiteral("value")].toDouble())),
              std::bit_cast<std::uint32_t>(want.value));
    EXPECT_EQ(rec[QStringLiteral("text")].toString(), QString::fromLatin1(want.text));
    EXPECT_EQ(rec[QStringLiteral("unit")].toInt(), want.unit);
    const float fullScale =
        std::memcmp(want.text + 1, "OL", 2) == 0 ? kErrorFullScale : kUnits[want.unit].fullScale;
    EXPECT_TRUE(r.out.contains("{\"value\": " + G9(want.value) + ", \"full_scale\": " + G9(fullScale) + ","))
        << G9(want.value).toStdString() << " / " << G9(fullScale).toStdString() << " in\n"
        << r.out.toStdString();
  }
  // Not the shortest text: nine significant digits, as the format promises.
  EXPECT_TRUE(r.out.contains("\"value\": -0.215000004,")) << r.out.toStdString();
}

TEST(CliFiles, InfoSummarisesTheFileForAPerson) {
  QTemporaryDir dir;
  const QString path = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const Result r = RunCli({QStringLiteral("info"), path});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QString out = QString::fromUtf8(r.out);
  for (const QString& line :
       {QStringLiteral("file:     ") + path, QStringLiteral("records:  8 (2 error records)"),
        QStringLiteral("start:    23:59:50"), QStringLiteral("end:      00:00:25"),
        QStringLiteral("interval: 5 s (5000 ms)"), QStringLiteral("unit:     psi (records in several units)"),
        QStringLiteral("first:    23:59:50  +3.125 psi"), QStringLiteral("last:     00:00:25  Error2")}) {
    EXPECT_TRUE(out.contains(line + QLatin1Char('\n')) || out.contains(line + QStringLiteral(" \n")))
        << line.toStdString() << " not in:\n"
        << out.toStdString();
  }
}

TEST(CliFiles, ConvertWritesTheGoldenTableSpreadsheetAndCsv) {
  QTemporaryDir dir;
  const QString path = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const QByteArray txt =
      "      NO              DATA              UNIT           TIME  \r\n"
      "      1             +3.125               psi           23:59:50  \r\n"
      "      2             -0.215               bar           23:59:55  \r\n"
      "      3              +45.5              mbar           00:00:00  \r\n"
      "      4               +5.2              mbar           00:00:05  \r\n"
      "      5             +1.500             kgcm2           00:00:10  \r\n"
      "      6             Error1                             00:00:15  \r\n"
      "      7             +150.0             ozin2           00:00:20  \r\n"
      "      8             Error2                             00:00:25  \r\n";
  const QByteArray xls =
      "NO\tDATA\tUNIT\tTIME\t\r\n"
      "1\t +3.125\tpsi\t23:59:50\t\r\n"
      "2\t -0.215\tbar\t23:59:55\t\r\n"
      "3\t +45.5\tmbar\t00:00:00\t\r\n"
      "4\t +5.2\tmbar\t00:00:05\t\r\n"
      "5\t +1.500\tkgcm2\t00:00:10\t\r\n"
      "6\t Error1\t\t00:00:15\t\r\n"
      "7\t +150.0\tozin2\t00:00:20\t\r\n"
      "8\t Error2\t\t00:00:25\t\r\n";
  const QByteArray csv =
      "NO,TIME,VALUE,UNIT,DATA\r\n"
      "1,23:59:50,3.125,psi,+3.125\r\n"
      "2,23:59:55,-0.215,bar,-0.215\r\n"
      "3,00:00:00,45.5,mbar,+45.5\r\n"
      "4,00:00:05,5.25,mbar,+5.2\r\n"
      "5,00:00:10,1.5,kgcm2,+1.500\r\n"
      "6,00:00:15,,,Error1\r\n"
      "7,00:00:20,150,ozin2,+150.0\r\n"
      "8,00:00:25,,,Error2\r\n";
  // The file keeps only the time of day: the outputs do not depend on the time zone.
  for (const char* tz : {"UTC", "Asia/Kolkata"}) {
    SCOPED_TRACE(tz);
    const QString out = dir.filePath(QString::fromLatin1(tz).replace(QLatin1Char('/'), QLatin1Char('-')));
    const Result r =
        RunCli({QStringLiteral("convert"), path, QStringLiteral("--txt"), out + QStringLiteral(".txt"),
                QStringLiteral("--xls"), out + QStringLiteral(".xls"), QStringLiteral("--csv"),
                out + QStringLiteral(".csv")},
               tz);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty() && r.err.isEmpty()) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(ReadAll(out + QStringLiteral(".txt")).toStdString(), txt.toStdString());
    EXPECT_EQ(ReadAll(out + QStringLiteral(".xls")).toStdString(), xls.toStdString());
    EXPECT_EQ(ReadAll(out + QStringLiteral(".csv")).toStdString(), csv.toStdString());
  }
}

TEST(CliFiles, ConvertWritesTheWorkbookWithTheOtherOutputsAsOneUnit) {
  QTemporaryDir dir;
  const QString path = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const QString xlsx = dir.filePath(QStringLiteral("run.xlsx")), csv = dir.filePath(QStringLiteral("run.csv"));
  const Result r = RunCli({QStringLiteral("convert"), path, QStringLiteral("--xlsx"), xlsx,
                           QStringLiteral("--csv"), csv});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QByteArray book = ReadAll(xlsx);
  EXPECT_TRUE(book.startsWith("PK\x03\x04"));
  // A zip names its members unpacked: the sheet and its chart are there.
  EXPECT_TRUE(book.contains("xl/worksheets/sheet1.xml"));
  EXPECT_TRUE(book.contains("xl/charts/chart1.xml"));
  EXPECT_TRUE(ReadAll(csv).startsWith("NO,TIME,VALUE,UNIT,DATA\r\n1,23:59:50,3.125,psi,+3.125\r\n"));

  // The workbook cannot be written: nothing is, and one line says where.
  const QString other = dir.filePath(QStringLiteral("other.csv"));
  const QString gone = dir.filePath(QStringLiteral("gone/run.xlsx"));
  const Result failed = RunCli({QStringLiteral("convert"), path, QStringLiteral("--csv"), other,
                                QStringLiteral("--xlsx"), gone});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_TRUE(failed.err.startsWith("pneuvista-cli: " + gone.toUtf8() + ": ")) << failed.err.toStdString();
  EXPECT_EQ(failed.err.count('\n'), 1);
  EXPECT_FALSE(QFile::exists(other));

  // A hold test saved beside the file adds its sheet; one that cannot be read is left out.
  struct HoldCase {
    const char* name;
    QByteArray sidecar;
    bool sheet;
    const char* note;
  };
  HoldTestFile test;
  test.result.reasons = {"dropped 0.62 % (allowed 0.50 %)"};
  const HoldCase holdCases[] = {
      {"a saved test", QByteArray::fromStdString(HoldTestJson(test)), true, ""},
      {"a damaged test", "{\"start\": [", false, "run.holdtest.json: "},
  };
  for (const HoldCase& c : holdCases) {
    WriteBytes(dir, "run.holdtest.json", c.sidecar);
    const Result held = RunCli({QStringLiteral("convert"), path, QStringLiteral("--xlsx"), xlsx});
    EXPECT_EQ(held.exitCode, 0) << c.name << held.err.toStdString();
    EXPECT_EQ(ReadAll(xlsx).contains("xl/worksheets/sheet2.xml"), c.sheet) << c.name;
    EXPECT_TRUE(held.err.contains(c.note)) << c.name << held.err.toStdString();
  }
}

// A valid file with the first bytes replaced, or cut after `keep` bytes.
QByteArray Patched(QByteArray bytes, int at, const QByteArray& with) {
  return bytes.replace(at, with.size(), with);
}

TEST(CliFiles, TruncatedAndHostileFilesAreRefusedWithOneLineSayingWhatAndWhere) {
  QTemporaryDir dir;
  const QByteArray good = ToBytes(EncodeRecords());
  // Layout of the good file: count (4), four texts of 1 + 0, 8, 8, 3 bytes, four
  // integers (16), then 8 records: values at 43, full scales at 75, texts at 107,
  // unit codes at 155, end at 163.
  ASSERT_EQ(good.size(), 4 + 1 + 9 + 9 + 4 + 16 + 15 * kCount);
  struct Case {
    const char* name;
    QByteArray bytes;  // empty: see path
    const char* path;  // used when bytes is empty: "missing" or "directory"
    std::vector<const char*> mentions;
  };
  const Case cases[] = {
      {"negative count",
       Patched(good, 0, QByteArray("\xff\xff\xff\xff", 4)),
       nullptr,
       {"sample count", "offset 0", "-1"}},
      {"count above the store",
       Patched(good, 0, QByteArray("\x81\x43\x00\x00", 4)),
       nullptr,
       {"sample count", "offset 0", "17281"}},
      {"count field cut short", good.left(3), nullptr, {"sample count", "offset 0"}},
      {"cut inside the start time", good.left(9), nullptr, {"start time", "offset 5"}},
      {"cut inside the values", good.left(50), nullptr, {"values", "offset 43"}},
      {"cut inside the unit codes", good.left(good.size() - 1), nullptr, {"unit codes", "offset 155"}},
      {"huge header length",
       Patched(good, 4, QByteArray("\xff\xff\xff\xff\xff\xff\x7f", 7)),
       nullptr,
       {"header text", "offset 4"}},
      {"unit code outside the table",
       Patched(good, 155 + 3, QByteArray("\x0b", 1)),
       nullptr,
       {"unit code of record 4", "offset 158"}},
      {"missing file", {}, "missing", {"No such file"}},
      {"a directory", {}, "directory", {"directory"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QString path;
    if (!c.bytes.isEmpty()) {
      path = WriteBytes(dir, qPrintable(QStringLiteral("bad%1.KvtDat").arg(n++)), c.bytes);
    } else if (std::strcmp(c.path, "directory") == 0) {
      path = dir.filePath(QStringLiteral("folder.KvtDat"));
      ASSERT_TRUE(QDir().mkdir(path));
    } else {
      path = dir.filePath(QStringLiteral("none.KvtDat"));
    }
    const QString out = dir.filePath(QStringLiteral("out"));
    const QStringList runs[] = {
        {QStringLiteral("info"), path},
        {QStringLiteral("info"), path, QStringLiteral("--json")},
        {QStringLiteral("convert"), path, QStringLiteral("--txt"), out + QStringLiteral(".txt"),
         QStringLiteral("--csv"), out + QStringLiteral(".csv")},
    };
    for (const QStringList& args : runs) {
      SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
      const Result r = RunCli(args);
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_TRUE(r.out.isEmpty()) << r.out.left(200).toStdString();
      // One line, which names the file and the place.
      EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
      EXPECT_TRUE(r.err.endsWith('\n'));
      EXPECT_TRUE(r.err.startsWith("pneuvista-cli: " + path.toUtf8() + ": ")) << r.err.toStdString();
      for (const char* m : c.mentions)
        EXPECT_TRUE(r.err.contains(m)) << m << " not in " << r.err.toStdString();
      EXPECT_FALSE(QFile::exists(out + QStringLiteral(".txt")));
      EXPECT_FALSE(QFile::exists(out + QStringLiteral(".csv")));
    }
  }
}

TEST(CliFiles, AnOutputThatCannotBeWrittenFailsAndLeavesTheOthersUnwritten) {
  QTemporaryDir dir;
  const QString path = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const QString txt = dir.filePath(QStringLiteral("run.txt"));
  const Result r = RunCli({QStringLiteral("convert"), path, QStringLiteral("--txt"), txt,
                           QStringLiteral("--csv"), dir.filePath(QStringLiteral("no/such/folder/run.csv"))});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("run.csv")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(txt));
}

// The type and permissions of what is at path, not of what a link there points to.
mode_t ModeOf(const QString& path) {
  struct stat info {};
  return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & (S_IFMT | 07777) : 0;
}

// A symlink at an output is replaced by the new file, whichever command writes it: what
// it points to keeps its contents and mode, and the new file gets 0644 less the umask.
TEST(CliFiles, ASymlinkAtAnOutputIsReplacedNeverWrittenThrough) {
  QTemporaryDir dir;
  const QString input = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const char* const commands[][2] = {{"print", "--pdf"}, {"convert", "--txt"}, {"convert", "--xlsx"}};
  const mode_t mask = ::umask(022);
  for (const auto& [command, option] : commands) {
    SCOPED_TRACE(std::string(command) + " " + option);
    const QString victim = WriteBytes(dir, "victim", "keep");
    ::chmod(QFile::encodeName(victim).constData(), 0666);
    const QString link = dir.filePath(QStringLiteral("out"));
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(victim, link));
    const Result r = RunCli({QString::fromLatin1(command), input, QString::fromLatin1(option), link});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(ReadAll(victim), "keep");
    EXPECT_EQ(ModeOf(victim), S_IFREG | 0666);
    EXPECT_EQ(ModeOf(link), S_IFREG | 0644);
  }
  ::umask(mask);
}

// A FIFO or a device given as the data file is refused at once, never waited on.
TEST(CliFiles, AnInputThatIsNoRegularFileIsRefusedAtOnce) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("run.KvtDat"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  const QString out = dir.filePath(QStringLiteral("out"));
  const QStringList commands[] = {{QStringLiteral("info"), fifo},
                                  {QStringLiteral("convert"), fifo, QStringLiteral("--txt"), out},
                                  {QStringLiteral("print"), fifo, QStringLiteral("--pdf"), out}};
  for (const QStringList& args : commands) {
    const Result r = RunCli(args);
    EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_EQ(r.err, "pneuvista-cli: " + fifo.toUtf8() + ": not a regular file\n");
  }
  EXPECT_FALSE(QFile::exists(out));
}

// The file's texts reach the terminal with their control characters escaped.
TEST(CliFiles, InfoEscapesControlCharactersOfTheFilesTexts) {
  QTemporaryDir dir;
  QByteArray bytes = ToBytes(EncodeRecords());
  bytes = Patched(bytes, 6, "\x1b[31mRED");                     // the start time's eight characters
  bytes = Patched(bytes, 15, QByteArray("00:\x07\x00:25", 8));  // the end time's
  const Result r = RunCli({QStringLiteral("info"), WriteBytes(dir, "run.KvtDat", bytes)});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.contains("start:    \\x1b[31mRED\n")) << r.out.toStdString();
  EXPECT_TRUE(r.out.contains("end:      00:\\x07\\x00:25\n")) << r.out.toStdString();
  for (const char control : {'\x1b', '\x07', '\0'}) EXPECT_FALSE(r.out.contains(control));
}

TEST(CliFiles, WrongUsageExitsWithStatusTwoAndTheUsage) {
  QTemporaryDir dir;
  const QString path = WriteBytes(dir, "run.KvtDat", ToBytes(EncodeRecords()));
  const QString txt = dir.filePath(QStringLiteral("run.txt"));
  struct Case {
    QStringList args;
    const char* mentions;
  };
  const Case cases[] = {
      {{}, "Usage: pneuvista-cli COMMAND"},
      {{QStringLiteral("inspect"), path}, "unknown command 'inspect'"},
      {{QStringLiteral("info")}, "no file given"},
      {{QStringLiteral("info"), path, path}, "more than one file"},
      {{QStringLiteral("info"), path, QStringLiteral("--yaml")}, "unknown option '--yaml'"},
      {{QStringLiteral("convert"), path}, "no output given"},
      {{QStringLiteral("convert"), path, QStringLiteral("--txt")}, "--txt needs a file name"},
      {{QStringLiteral("convert"), QStringLiteral("--csv"), txt}, "no input file given"},
      {{QStringLiteral("convert"), path, QStringLiteral("--pdf"), txt}, "unknown option '--pdf'"},
      {{QStringLiteral("convert"), path, path, QStringLiteral("--txt"), txt}, "more than one input"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(c.mentions)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Usage: pneuvista-cli")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(txt));
  }
}

TEST(CliFiles, EveryCommandAnswersHelpWithItsUsage) {
  const QStringList commands = {QStringLiteral("info"),   QStringLiteral("convert"),  QStringLiteral("print"),
                                QStringLiteral("record"), QStringLiteral("holdtest"), QStringLiteral("verify")};
  for (const QString& command : commands) {
    for (const QStringList& args :
         {QStringList{command, QStringLiteral("--help")},
          QStringList{command, QStringLiteral("run.KvtDat"), QStringLiteral("-h")}}) {
      SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
      const Result r = RunCli(args);
      EXPECT_EQ(r.exitCode, 0);
      EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
      EXPECT_TRUE(r.out.startsWith("Usage: pneuvista-cli " + command.toUtf8() + " ")) << r.out.toStdString();
      EXPECT_TRUE(r.out.contains("exit status: 0")) << r.out.toStdString();
    }
  }
  const Result all = RunCli({QStringLiteral("--help")});
  EXPECT_EQ(all.exitCode, 0);
  EXPECT_TRUE(all.out.contains("pneuvista-cli COMMAND --help")) << all.out.toStdString();
}

// A run of 50.0 mbar falling 0.1 mbar each 30 s saved with a test allowing 1 %, and
// beside it another run of 30 samples with its own test.
struct SavedRuns {
  QTemporaryDir dir;
  QString data = dir.filePath(QStringLiteral("tank.KvtDat"));

  SavedRuns() {
    setenv("TZ", "UTC", 1);  // the run's clock read as the commands the tests start read it
    tzset();
    for (const int samples : {5, 30}) {
      auto m = test::MakeRun(samples, 30);
      for (int i = 0; i < samples; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "+%04.1f", 50.0f - 0.1f * static_cast<float>(i));
        test::PutSample(*m, i, {50.0f - 0.1f * static_cast<float>(i), text, 4});
      }
      HoldTestFile t;
      t.criteria = {0, -1, AllowedKind::Percent, 1.0, std::nullopt, 2};
      t.result = AnalyseHold(LiveRunRows(*m), 30, t.criteria).result;
      EXPECT_TRUE(SaveRun(*m, dir.filePath(samples == 5 ? "tank.KvtDat" : "other.KvtDat").toStdString(), &t));
    }
  }
  std::string record() const { return ReadAll(dir.filePath(QStringLiteral("tank.holdtest.json"))).toStdString(); }
  void write(const char* name, const std::string& t) const { WriteBytes(dir, name, QByteArray::fromStdString(t)); }
  void edit(const std::string& from, const std::string& to) const {
    std::string text = record();
    ASSERT_NE(text.find(from), std::string::npos) << from;
    write("tank.holdtest.json", text.replace(text.find(from), from.size(), to));
  }
  // The record changed and written again with a fingerprint of its own.
  void forge(const std::function<void(HoldTestFile&)>& change) const {
    HoldTestFile t = *ParseHoldTestJson(record(), nullptr);
    change(t);
    write("tank.holdtest.json", HoldTestJson(t));
  }
};

using Change = std::function<void(SavedRuns&)>;
const Change kUntouched = [](SavedRuns&) {};
const Change kVerdictForged = [](SavedRuns& s) {
  s.forge([](HoldTestFile& t) { t.result.passed = false, t.result.reasons = {"ok\x1b[2J\nholds: all is well"}; });
};
const Change kOthersRecord = [](SavedRuns& s) {
  s.write("tank.holdtest.json", ReadAll(s.dir.filePath("other.holdtest.json")).toStdString());
};

// verify names the data file's SHA-256 and the record's revision and fingerprint, then
// the verdicts and each thing that no longer holds, the record's texts escaped.
TEST(CliFiles, VerifySaysWhetherARecordAndItsDataFileStillHold) {
  const std::string head =
      "data file: DIR/tank.KvtDat\ndata SHA-256: SHA\nrecord: DIR/tank.holdtest.json\nrevision: 1\nfingerprint: FP\n";
  const std::string passed = "stored verdict: PASSED\nrecomputed verdict: PASSED\n";
  const std::string kChanged =
      "differs: the record was changed after it was written: its contents do not give its fingerprint\n";
  const struct {
    const char* name;
    Change change;
    int exitCode;
    std::string says;  // after the head on standard output, or on standard error
  } cases[] = {
      {"untouched", kUntouched, 0,
       passed + "holds: the data file and its record are unchanged, and the samples give the stored verdict\n"},
      {"one byte of the data file changed",
       [](SavedRuns& s) {
         QByteArray bytes = ReadAll(s.data);
         bytes[bytes.size() - 5 - 30 - 20 - 4] ^= 1;  // the last value's lowest byte
         WriteBytes(s.dir, "tank.KvtDat", bytes);
       },
       4, passed + "differs: the data file changed since the record was written: its SHA-256 is SHA, the record "
                   "names RUN\n"},
      {"the verdict forged with a fingerprint of its own", kVerdictForged, 4,
       "stored verdict: NOT PASSED: ok\\x1b[2J\\nholds: all is well\nrecomputed verdict: PASSED\n"
       "differs: the record says NOT PASSED, the samples give PASSED\n"},
      {"the allowed change edited", [](SavedRuns& s) { s.edit("\"allowed\": 1,", "\"allowed\": 0.1,"); }, 4,
       "stored verdict: PASSED\nrecomputed verdict: NOT PASSED: dropped 0.80 % (allowed 0.10 %)\n" + kChanged +
           "differs: the record says PASSED, the samples give NOT PASSED (dropped 0.80 % (allowed 0.10 %))\n"},
      {"a record that names no run", [](SavedRuns& s) { s.forge([](HoldTestFile& t) { t.run.reset(); }); }, 4,
       passed + "differs: the record names no run: it was written before records named the data file they belong to\n"},
      {"another run's record", kOthersRecord, 4,
       "stored verdict: NOT PASSED: dropped 5.80 % (allowed 1.00 %)\nrecomputed verdict: PASSED\n"
       "differs: this record belongs to another run: it names 30 samples from 10:22:05, the data file holds 5 samples "
       "from 10:22:05\ndiffers: the record says NOT PASSED, the samples give PASSED\n"},
      {"no record", [](SavedRuns& s) { QFile::remove(s.dir.filePath("tank.holdtest.json")); }, 1,
       "pneuvista-cli: DIR/tank.KvtDat: no test record beside it (DIR/tank.holdtest.json)\n"},
      {"a damaged record", [](SavedRuns& s) { s.write("tank.holdtest.json", "{\"start\": ["); }, 1,
       "pneuvista-cli: DIR/tank.holdtest.json: not a test record: the text is no JSON\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRuns s;
    c.change(s);
    const Result r = RunCli({QStringLiteral("verify"), s.data});
    EXPECT_EQ(r.exitCode, c.exitCode);
    QByteArray shown = r.out + r.err;
    shown.replace(s.dir.path().toUtf8(), "DIR");
    shown.replace(QByteArray::fromStdString(Sha256Hex(ReadAll(s.data).toStdString())), "SHA");
    if (const auto read = ParseHoldTestJson(s.record(), nullptr)) {
      shown.replace(QByteArray::fromStdString(read->fingerprint), "FP");
      if (read->run) shown.replace(QByteArray::fromStdString(read->run->sha256), "RUN");
    }
    EXPECT_EQ(shown.toStdString(), (c.exitCode == 1 ? "" : head) + c.says);
  }
}

// convert puts only the run's own record in the workbook, with the verdict its samples
// give; a record it leaves out or corrects is said on standard error.
TEST(CliFiles, ConvertRecomputesTheRunsOwnRecordAndLeavesOthersOut) {
  const struct {
    const char* name;
    Change change;
    bool sheet;
    const char* note;
  } cases[] = {
      {"the run's own record", kUntouched, true, ""},
      {"a verdict forged with a fingerprint of its own", kVerdictForged, true,
       "pneuvista-cli: note: DIR/tank.holdtest.json: the record says NOT PASSED, the samples give PASSED; the workbook "
       "has the samples' verdict\n"},
      {"another run's record", kOthersRecord, false,
       "pneuvista-cli: note: DIR/tank.holdtest.json: this record belongs to another run; the workbook is written "
       "without it\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRuns s;
    c.change(s);
    const QString xlsx = s.dir.filePath(QStringLiteral("tank.xlsx"));
    const Result r = RunCli({QStringLiteral("convert"), s.data, QStringLiteral("--xlsx"), xlsx});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(ReadAll(xlsx).contains("xl/worksheets/sheet2.xml"), c.sheet);
    EXPECT_EQ(QString::fromUtf8(r.err).replace(s.dir.path(), QStringLiteral("DIR")).toStdString(), c.note);
  }
}

}  // namespace
}  // namespace pv::e2e
