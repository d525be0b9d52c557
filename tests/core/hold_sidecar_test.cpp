// SPDX-License-Identifier: GPL-3.0-or-later
// The record beside a saved run: found only with the run it names, and written again as
// revisions that keep the earlier ones.
#include "holdtest/hold_sidecar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "files/read_file.h"
#include "files/run_files.h"
#include "run_fixture.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

class HoldSidecar : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pneuvista-sidecar-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    tank_ = path("tank.KvtDat"), beside_ = path("tank.holdtest.json");
    test_.record.operatorName = "A. Operator";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  static void Write(const std::string& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }
  SidecarRead readBeside() const { return ReadHoldTestBeside(tank_, ReadWholeFile(tank_).value()); }

  std::string dir_;
  std::string tank_, beside_;
  std::unique_ptr<AppModel> run_ = test::MakeRun(5, 30), other_ = test::MakeRun(30, 30);
  HoldTestFile test_;
};

// A record is this run's test only when it names this run's bytes; a save without a test
// leaves no record of another run behind.
TEST_F(HoldSidecar, ARecordIsFoundOnlyWithTheRunItNames) {
  const struct {
    std::function<void()> setup;
    const char* says;  // the test's operator, or why no test was found
  } cases[] = {
      {[&] { SaveRun(*run_, tank_, &test_); }, "A. Operator"},
      {[&] { SaveRun(*run_, tank_, &test_), SaveRun(*run_, tank_); }, "A. Operator"},
      {[&] { SaveRun(*other_, tank_, &test_), SaveRunFiles(*run_, tank_, false); }, ""},
      {[&] {
         SaveRun(*other_, path("other.KvtDat"), &test_), SaveRun(*run_, tank_);
         fs::copy_file(path("other.holdtest.json"), beside_);
       },
       "other run: this record belongs to another run"},
      // Written before records named their run.
      {[&] { SaveRun(*run_, tank_), Write(beside_, HoldTestJson(test_)); }, "A. Operator"},
      {[&] { SaveRun(*run_, tank_), Write(beside_, std::string(2u << 20, ' ')); }, "tank.holdtest.json"},
  };
  for (const auto& c : cases) {
    fs::remove(beside_);
    c.setup();
    const SidecarRead read = readBeside();
    const std::string said = (read.otherRun ? "other run: " : "") + read.problem +
                             (read.test ? read.test->record.operatorName : "");
    EXPECT_TRUE(*c.says ? said.find(c.says) != std::string::npos : said.empty()) << said;
  }
}

// Each change to a run's record is a new revision that keeps the earlier ones as they were
// written; saving another run over the file starts again at revision 1.
TEST_F(HoldSidecar, ARecordKeepsItsEarlierRevisions) {
  HoldTestFile witnessed = test_;
  witnessed.record.witness = "W. Itness";
  ASSERT_TRUE(SaveRun(*run_, tank_, &test_));
  ASSERT_TRUE(WriteHoldTestRevision(tank_, ReadWholeFile(tank_).value(), witnessed));
  ASSERT_TRUE(WriteHoldTestRevision(tank_, ReadWholeFile(tank_).value(), witnessed));  // nothing new
  ASSERT_TRUE(SaveRun(*run_, tank_, &test_));
  SidecarRead read = readBeside();
  ASSERT_TRUE(read.test) << read.problem;
  EXPECT_EQ(read.test->revision, 3);
  EXPECT_EQ(read.test->contentsSha256, read.test->fingerprint);
  ASSERT_EQ(read.test->earlierRevisions.size(), 2u);
  for (const std::string& earlier : read.test->earlierRevisions)
    EXPECT_NE(earlier.find(RevisionContentsSha256(earlier)), std::string::npos) << earlier;
  EXPECT_NE(read.test->earlierRevisions[1].find("W. Itness"), std::string::npos);
  ASSERT_TRUE(SaveRun(*other_, tank_, &test_));
  read = readBeside();
  ASSERT_TRUE(read.test) << read.problem;
  EXPECT_EQ(read.test->revision, 1);
  EXPECT_EQ(read.test->earlierRevisions.size(), 0u);
}

}  // namespace
}  // namespace pv
