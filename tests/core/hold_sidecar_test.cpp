// SPDX-License-Identifier: GPL-3.0-or-later
// The record beside a saved run: found only with the run it names, checked against the
// data file and the samples, and written again as revisions that keep the earlier ones.
#include "holdtest/hold_sidecar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/run_files.h"
#include "files/run_journal.h"
#include "files/run_recovery.h"
#include "run_fixture.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

constexpr int kUnitMbar = 4;

// A gas line at 50 mbar, falling by `step` each 30 s.
std::unique_ptr<AppModel> GasLine(int samples, float step) {
  auto m = test::MakeRun(samples, 30);
  for (int i = 0; i < samples; ++i) {
    const float value = 50.0f - step * static_cast<float>(i);
    char text[16];
    std::snprintf(text, sizeof text, "+%04.1f", value);
    test::PutSample(*m, i, {value, text, kUnitMbar});
  }
  return m;
}

HoldTestFile TestOf(const AppModel& m, double allowedPercent, std::string operatorName = "A. Operator") {
  HoldTestFile t;
  t.criteria = {0, -1, AllowedKind::Percent, allowedPercent, std::nullopt, 2};
  t.result = AnalyseHold(LiveRunRows(m), m.run.intervalSeconds(), t.criteria).result;
  t.record.operatorName = std::move(operatorName);
  return t;
}

class HoldSidecar : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    char pattern[] = "/tmp/pneuvista-sidecar-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  static std::string Read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::string& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  static std::vector<std::uint8_t> Bytes(const std::string& p) {
    auto bytes = ReadWholeFile(p);
    return bytes ? bytes.value() : std::vector<std::uint8_t>{};
  }
  static std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  }

  std::string dir_;
  std::unique_ptr<AppModel> tank_ = GasLine(5, 0.1f);   // 50.0 to 49.6 mbar
  std::unique_ptr<AppModel> other_ = GasLine(30, 0.2f);  // another run, another operator
  HoldTestFile tankTest_ = TestOf(*tank_, 1.0);
  HoldTestFile otherTest_ = TestOf(*other_, 50.0, "B. Other");
};

// A record is this run's test only when it names this run's bytes; a save without a test
// leaves no record of another run behind, with or without the text table.
TEST_F(HoldSidecar, ARecordIsFoundOnlyWithTheRunItNames) {
  const std::string tank = path("tank.KvtDat");
  const struct {
    const char* name;
    std::function<void()> setup;
    bool found;
    bool otherRun;
    const char* problem;
  } cases[] = {
      {"no record", [&] { SaveRun(*tank_, tank); }, false, false, ""},
      {"a test saved with its run", [&] { SaveRun(*tank_, tank, &tankTest_); }, true, false, ""},
      {"the same run saved again without its test",
       [&] {
         SaveRun(*tank_, tank, &tankTest_);
         SaveRun(*tank_, tank);
       },
       true, false, ""},
      {"another run saved over it",
       [&] {
         SaveRun(*other_, tank, &otherTest_);
         SaveRun(*tank_, tank);
       },
       false, false, ""},
      {"another run saved over it without its text table",
       [&] {
         SaveRun(*other_, tank, &otherTest_);
         SaveRunFiles(*tank_, tank, false);
       },
       false, false, ""},
      {"another run's record put beside it",
       [&] {
         SaveRun(*other_, path("other.KvtDat"), &otherTest_);
         SaveRun(*tank_, tank);
         fs::copy_file(path("other.holdtest.json"), path("tank.holdtest.json"));
       },
       false, true, "this record belongs to another run"},
      {"a record written before records named their run",
       [&] {
         SaveRun(*tank_, tank);
         Write(path("tank.holdtest.json"), HoldTestJson(tankTest_));
       },
       true, false, ""},
      {"a record of 2 MiB",
       [&] {
         SaveRun(*tank_, tank);
         Write(path("tank.holdtest.json"), std::string(2u << 20, ' '));
       },
       false, false, "tank.holdtest.json"},
      {"a record holding 1e300",
       [&] {
         SaveRun(*tank_, tank, &tankTest_);
         Write(path("tank.holdtest.json"),
               Replaced(Read(path("tank.holdtest.json")), "\"start\": 50", "\"start\": 1e300"));
       },
       false, false, "\"start\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path("tank.holdtest.json"));
    c.setup();
    const SidecarRead read = ReadHoldTestBeside(tank, Bytes(tank));
    EXPECT_EQ(read.test.has_value(), c.found);
    EXPECT_EQ(read.otherRun, c.otherRun);
    if (*c.problem) {
      EXPECT_NE(read.problem.find(c.problem), std::string::npos) << read.problem;
    } else {
      EXPECT_EQ(read.problem, "");
    }
    if (read.test) {
      EXPECT_EQ(read.test->record.operatorName, "A. Operator");
    }
  }
}

// What an auditor asks: are the data file and the record as they were written, and do the
// samples give the verdict the record states?
TEST_F(HoldSidecar, TheCheckFindsEveryChangeSinceTheRecordWasWritten) {
  const std::string tank = path("tank.KvtDat"), sidecar = path("tank.holdtest.json");
  const auto forged = [](const std::string& text) -> std::string {
    HoldTestFile t = *ParseHoldTestJson(text, nullptr);
    t.result.passed = false;
    t.result.reasons = {"dropped 0.80 % (allowed 1.00 %)"};
    return HoldTestJson(t);
  };
  const auto unbound = [](const std::string& text) -> std::string {
    HoldTestFile t = *ParseHoldTestJson(text, nullptr);
    t.run.reset();
    auto o = nlohmann::ordered_json::parse(HoldTestJson(t));
    o.erase("fingerprint");
    return o.dump(2);
  };
  const auto lastValueNudged = [](std::vector<std::uint8_t> bytes) -> std::vector<std::uint8_t> {
    // The last value's lowest byte: 5 unit codes, 5 texts and 5 full scales after it.
    bytes.at(bytes.size() - 5 - 30 - 20 - 4) ^= 1;
    return bytes;
  };
  const struct {
    const char* name;
    std::function<std::vector<std::uint8_t>(std::vector<std::uint8_t>)> data;
    std::function<std::string(const std::string&)> record;
    bool dataUnchanged, recordUnchanged, verdictHolds;
    std::vector<const char*> differences;
  } cases[] = {
      {"untouched", {}, {}, true, true, true, {}},
      {"a byte of the data file changed", lastValueNudged, {}, false, true, true, {"the data file changed"}},
      {"the verdict edited by hand", {},
       [](const std::string& t) { return Replaced(t, "\"result\": \"passed\"", "\"result\": \"not passed\""); }, true,
       false, false, {"the record was changed", "the record says NOT PASSED, the samples give PASSED"}},
      {"the verdict forged with a fresh fingerprint", {}, forged, true, true, false,
       {"the record says NOT PASSED, the samples give PASSED"}},
      {"the allowed change edited", {},
       [](const std::string& t) { return Replaced(t, "\"allowed\": 1,", "\"allowed\": 0.1,"); }, true, false, false,
       {"the record was changed", "the samples give NOT PASSED (dropped 0.80 % (allowed 0.10 %))"}},
      {"a record from before records named their run", {}, unbound, false, false, true,
       {"the record names no run", "the record carries no fingerprint"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SaveRun(*tank_, tank, &tankTest_));
    std::vector<std::uint8_t> data = Bytes(tank);
    std::string text = Read(sidecar);
    if (c.data) data = c.data(data);
    if (c.record) text = c.record(text);
    std::string error;
    const auto test = ParseHoldTestJson(text, &error);
    ASSERT_TRUE(test) << error;
    auto decoded = DecodeDataLoggerFile(data);
    ASSERT_TRUE(decoded);
    const LoggerStore& store = decoded.value().store;
    const RecordCheck check = CheckHoldTest(*test, data, LoggerFileRows(store), store.intervalMs / 1000);
    EXPECT_EQ(check.dataUnchanged, c.dataUnchanged);
    EXPECT_EQ(check.recordUnchanged, c.recordUnchanged);
    EXPECT_EQ(check.verdictHolds, c.verdictHolds);
    ASSERT_EQ(check.differences.size(), c.differences.size()) << ::testing::PrintToString(check.differences);
    for (std::size_t i = 0; i < c.differences.size(); ++i)
      EXPECT_NE(check.differences[i].find(c.differences[i]), std::string::npos) << check.differences[i];
  }
}

// Each change to a run's record is a new revision that keeps the ones before it; saving
// another run over the file starts again at revision 1.
TEST_F(HoldSidecar, ARecordKeepsItsEarlierRevisions) {
  const std::string tank = path("tank.KvtDat");
  HoldTestFile witnessed = tankTest_;
  witnessed.record.witness = "W. Itness";
  const struct {
    const char* step;
    std::function<FileStatus()> write;
    int revision;
    std::size_t earlier;
  } steps[] = {
      {"saved with its test", [&] { return SaveRun(*tank_, tank, &tankTest_); }, 1, 0},
      {"the witness added", [&] { return WriteHoldTestRevision(tank, Bytes(tank), witnessed); }, 2, 1},
      {"written again unchanged", [&] { return WriteHoldTestRevision(tank, Bytes(tank), witnessed); }, 2, 1},
      {"saved again with the first record", [&] { return SaveRun(*tank_, tank, &tankTest_); }, 3, 2},
      {"another run saved over it", [&] { return SaveRun(*other_, tank, &otherTest_); }, 1, 0},
  };
  std::vector<std::string> fingerprints;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    ASSERT_TRUE(s.write());
    const std::vector<std::uint8_t> data = Bytes(tank);
    const SidecarRead read = ReadHoldTestBeside(tank, data);
    ASSERT_TRUE(read.test) << read.problem;
    EXPECT_EQ(read.test->revision, s.revision);
    ASSERT_EQ(read.test->earlierRevisions.size(), s.earlier);
    // The earlier revisions are the records as they were, fingerprints and all.
    for (std::size_t i = 0; i < s.earlier; ++i)
      EXPECT_NE(read.test->earlierRevisions[i].find(fingerprints.at(i)), std::string::npos);
    if (fingerprints.size() < static_cast<std::size_t>(s.revision)) fingerprints.resize(s.revision);
    fingerprints[s.revision - 1] = read.test->fingerprint;
    auto decoded = DecodeDataLoggerFile(data);
    ASSERT_TRUE(decoded);
    const LoggerStore& store = decoded.value().store;
    const RecordCheck check = CheckHoldTest(*read.test, data, LoggerFileRows(store), store.intervalMs / 1000);
    EXPECT_TRUE(check.differences.empty()) << ::testing::PrintToString(check.differences);
  }
}

// A recovered run is saved as Save saves it: its companion files are named from the whole
// name, and a record of another run beside it goes.
TEST_F(HoldSidecar, ARecoveredRunKeepsOnlyItsOwnCompanionFiles) {
  const struct {
    const char* out;
    std::vector<const char*> before, kept, absent;
  } cases[] = {
      {"line 4.2", {"line 4.holdtest.json", "line 4.txt", "line 4.2.holdtest.json"},
       {"line 4.holdtest.json", "line 4.txt"}, {"line 4.2.holdtest.json"}},
      {"tank.KvtDat", {"tank.holdtest.json"}, {}, {"tank.holdtest.json"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    for (const char* name : c.before) Write(path(name), "before");
    std::string journal;
    {
      RunJournal writer(dir_);
      writer.begin(*tank_, 0);
      writer.append(*tank_, 1000);
      journal = writer.path();
    }
    ASSERT_TRUE(RecoverToFile(journal, path(c.out), false));
    EXPECT_TRUE(fs::exists(path(c.out)));
    for (const char* name : c.kept) EXPECT_EQ(Read(path(name)), "before") << name;
    for (const char* name : c.absent) EXPECT_FALSE(fs::exists(path(name))) << name;
  }
}

}  // namespace
}  // namespace pv
