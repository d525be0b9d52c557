// SPDX-License-Identifier: GPL-3.0-or-later
// The run journal: what a reader keeps of a torn or damaged journal, when the writer
// syncs, what a failing disk does, when a journal goes, and a recovered run saving
// byte for byte as the original run would have.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "chart/acquisition.h"
#include "chart/chart_layout.h"
#include "chart/cursors.h"
#include "files/datalogger_file.h"
#include "files/journal_format.h"
#include "files/read_file.h"
#include "files/run_files.h"
#include "files/run_journal.h"
#include "files/run_recovery.h"
#include "link/units.h"
#include "run_fixture.h"

namespace pv {
namespace {

namespace fs = std::filesystem;
using test::MakeRun;
using test::PutSample;

// Samples of every kind a store holds: plain readings in several units, DIF readings,
// error samples, and a slot whose unit name was never written.
std::unique_ptr<AppModel> MixedRun(int samples) {
  auto m = MakeRun(samples, 2);
  for (int i = 0; i < samples; ++i) {
    switch (i % 4) {
      case 0: PutSample(*m, i, {0.5f + static_cast<float>(i), "+0.500", 0}); break;
      case 1: PutSample(*m, i, {-3.25f, "-3.25 ", 6, true}); break;
      case 2: PutSample(*m, i, {kErrorHigh, "ERR1  ", kUnitPsi}); break;
      default: m->store.unitNameAt[i] = {}; break;
    }
  }
  return m;
}

std::vector<std::uint8_t> JournalBytes(const AppModel& m) {
  const JournalHeaderBytes header = EncodeJournalHeader({m.run.startTime, m.run.intervalMs});
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  for (int i = 0; i < m.store.sampleCount; ++i) {
    const JournalSampleBytes r = EncodeJournalSample(m.store, i);
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  return bytes;
}

// Sample i of both stores is the same, bit for bit.
void ExpectSameSample(const SampleStore& a, const SampleStore& b, int i) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(a.values[i]), std::bit_cast<std::uint32_t>(b.values[i])) << i;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(a.fullScaleAt[i]), std::bit_cast<std::uint32_t>(b.fullScaleAt[i])) << i;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(a.toPsiAt[i]), std::bit_cast<std::uint32_t>(b.toPsiAt[i])) << i;
  EXPECT_EQ(a.texts[i], b.texts[i]) << i;
  EXPECT_EQ(a.unitAt[i], b.unitAt[i]) << i;
  EXPECT_EQ(a.unitNameAt[i], b.unitNameAt[i]) << i;
  EXPECT_EQ(a.relativeAt[i], b.relativeAt[i]) << i;
}

TEST(JournalReader, ACutJournalGivesEveryCompleteRecordAndNoTornOne) {
  const auto run = MixedRun(9);
  const std::vector<std::uint8_t> whole = JournalBytes(*run);
  const std::size_t lastTwo = whole.size() - 2 * kJournalSampleSize;
  auto store = std::make_unique<SampleStore>();
  for (std::size_t cut = lastTwo; cut <= whole.size(); ++cut) {
    auto decoded = DecodeJournal(std::span(whole).first(cut), *store);
    ASSERT_TRUE(decoded.ok()) << cut;
    const int complete = static_cast<int>((cut - kJournalHeaderSize) / kJournalSampleSize);
    EXPECT_EQ(decoded.value().samples, complete) << cut;
    EXPECT_EQ(decoded.value().droppedBytes, (cut - kJournalHeaderSize) % kJournalSampleSize) << cut;
    EXPECT_EQ(decoded.value().header.startTime, run->run.startTime);
    EXPECT_EQ(decoded.value().header.intervalMs, 2000);
    for (int i = 0; i < complete; ++i) ExpectSameSample(run->store, *store, i);
  }
  for (std::size_t cut = 0; cut < kJournalHeaderSize; ++cut)
    EXPECT_FALSE(DecodeJournal(std::span(whole).first(cut), *store).ok()) << cut;
}

TEST(JournalReader, AFlippedBitEndsTheSamplesAtItsRecordOrRejectsTheHeader) {
  const auto run = MixedRun(9);
  const std::vector<std::uint8_t> whole = JournalBytes(*run);
  auto store = std::make_unique<SampleStore>();
  for (const std::uint8_t mask : {0x01, 0x80, 0xFF}) {
    for (std::size_t at = 0; at < whole.size(); ++at) {
      // The header and the last two records, every byte; the rest are like them.
      if (at >= kJournalHeaderSize && at < whole.size() - 2 * kJournalSampleSize) continue;
      std::vector<std::uint8_t> bytes = whole;
      bytes[at] ^= mask;
      auto decoded = DecodeJournal(bytes, *store);
      if (at < kJournalHeaderSize) {
        EXPECT_FALSE(decoded.ok()) << at;
        continue;
      }
      ASSERT_TRUE(decoded.ok()) << at;
      const int damaged = static_cast<int>((at - kJournalHeaderSize) / kJournalSampleSize);
      EXPECT_EQ(decoded.value().samples, damaged) << at << " mask " << int{mask};
      EXPECT_EQ(decoded.value().droppedBytes, bytes.size() - kJournalHeaderSize - damaged * kJournalSampleSize);
    }
  }
}

TEST(JournalReader, RecordsThatAreSoundButOutOfPlaceEndTheSamples) {
  const auto run = MixedRun(4);
  auto store = std::make_unique<SampleStore>();
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> change;
    int samples;
  };
  const JournalSampleBytes first = EncodeJournalSample(run->store, 0);
  auto badUnit = MixedRun(4);
  badUnit->store.unitAt[2] = kUnitCount;
  const std::vector<std::uint8_t> withBadUnit = JournalBytes(*badUnit);
  const Case cases[] = {
      {"a record repeated", [&](auto& b) { b.insert(b.begin() + kJournalHeaderSize + kJournalSampleSize, first.begin(), first.end()); }, 1},
      {"a record missing", [](auto& b) { b.erase(b.begin() + kJournalHeaderSize, b.begin() + kJournalHeaderSize + kJournalSampleSize); }, 0},
      {"a unit code outside the table", [&](auto& b) { b = withBadUnit; }, 2},
      {"an unknown version", [](auto& b) { b[8] = 2; }, -1},
      {"another file", [](auto& b) { b[0] = 'X'; }, -1},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = JournalBytes(*run);
    c.change(bytes);
    auto decoded = DecodeJournal(bytes, *store);
    if (c.samples < 0) {
      EXPECT_FALSE(decoded.ok()) << c.what;
    } else {
      ASSERT_TRUE(decoded.ok()) << c.what;
      EXPECT_EQ(decoded.value().samples, c.samples) << c.what;
    }
  }
}

TEST(JournalReader, NeverReadsMoreSamplesThanTheStoreHolds) {
  auto run = MakeRun(kMaxSamples);
  std::vector<std::uint8_t> bytes = JournalBytes(*run);
  // Two more records in sequence, as a writer that ignored the store's end would make.
  run->store.sampleCount = kStoreCapacity;
  for (int i = kMaxSamples; i < kStoreCapacity; ++i) {
    const JournalSampleBytes r = EncodeJournalSample(run->store, i);
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  auto store = std::make_unique<SampleStore>();
  auto decoded = DecodeJournal(bytes, *store);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(decoded.value().samples, kMaxSamples);
  EXPECT_EQ(decoded.value().droppedBytes, 2 * kJournalSampleSize);
}

class JournalFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    char pattern[] = "/tmp/pneuvista-journal-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    calls_ = JournalSystemCalls::Posix();
    calls_.datasync = [this](int fd) {
      ++syncs_;
      return ::fdatasync(fd);
    };
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> Journals() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().string());
    return names;
  }
  // A run going with this many samples committed.
  static std::unique_ptr<AppModel> Running(int samples) {
    auto m = MixedRun(samples);
    m->run.phase = RunPhase::Running;
    return m;
  }

  std::string dir_;
  JournalSystemCalls calls_;
  int syncs_ = 0;
};

TEST_F(JournalFolder, SyncsAboutOnceASecondAndAtMostASecondAfterACommit) {
  RunJournal journal(dir_ + "/state/pneuvista", calls_);
  auto m = Running(0);
  journal.begin(*m, 10'000);
  ASSERT_TRUE(journal.journaling()) << journal.takeFailure();
  EXPECT_EQ(syncs_, 1);  // the header, at creation
  struct Step {
    std::int64_t at;
    int commitTo;  // samples committed by then; -1: a sync timer tick alone
    int dueIn;     // what the journal asks for
    int syncs;
  };
  const Step steps[] = {
      {10'300, 1, -1, 2},    // the first sample: at once, the header's sync apart
      {10'800, 2, 500, 2},   // less than a second after the last sync: waits
      {11'249, -1, 51, 2},   // an early tick changes nothing
      {11'250, -1, -1, 3},   // synced about a second after the last sync
      {11'300, -1, -1, 3},   // nothing pending: no sync
      {13'500, 3, -1, 4},    // long after the last sync: at once
      {13'600, 4, 900, 4},
      {14'700, -1, -1, 5},   // a late tick syncs at once
      {15'690, 5, -1, 6},    // a commit just short of the second: synced with it
  };
  for (const Step& s : steps) {
    int due = 0;
    if (s.commitTo >= 0) {
      m->store.sampleCount = s.commitTo;
      due = journal.append(*m, s.at);
    } else {
      due = journal.syncIfDue(s.at);
    }
    EXPECT_EQ(due, s.dueIn) << s.at;
    EXPECT_EQ(syncs_, s.syncs) << s.at;
  }
  EXPECT_EQ(journal.samples(), 5);
}

TEST_F(JournalFolder, ARunningProgramsJournalIsNeverOfferedAndADeadOnesIs) {
  auto m = Running(5);
  {
    RunJournal journal(dir_, calls_);
    journal.begin(*m, 0);
    journal.append(*m, 0);
    EXPECT_TRUE(FindUnsavedJournals(dir_).empty());
    auto store = std::make_unique<SampleStore>();
    auto held = HoldJournal(journal.path(), *store);
    ASSERT_FALSE(held.ok());
    EXPECT_NE(held.error().message.find("a running program is recording this run"), std::string::npos);
  }
  const std::vector<UnsavedJournal> found = FindUnsavedJournals(dir_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].samples, 5);
  EXPECT_EQ(found[0].header.startTime, m->run.startTime);
  EXPECT_EQ(RecoveryQuestion(found[0]), "A run of 5 samples started 14/03/25 10:22:05 was not saved.");
}

TEST_F(JournalFolder, AFailingDiskIsToldOnceAndKeepsWhatWasWritten) {
  struct Case {
    const char* what;
    int failAtWrite;  // the write that fails: 0 the header, 1 the first sample, ...
    int errorNumber;
    int partial;      // bytes that still reach the file on the failing write
    int kept;
  };
  const Case cases[] = {
      {"full at the header", 0, ENOSPC, 0, 0},
      {"full at the fourth sample", 4, ENOSPC, 0, 3},
      {"torn fourth sample", 4, ENOSPC, 11, 3},
      {"read-only at the second sample", 2, EROFS, 0, 1},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    int writes = 0;
    JournalSystemCalls calls = calls_;
    calls.write = [&](int fd, const void* data, std::size_t size) -> ssize_t {
      const int k = writes++;
      if (k < c.failAtWrite) return ::write(fd, data, size);
      if (k == c.failAtWrite && c.partial > 0) return ::write(fd, data, static_cast<std::size_t>(c.partial));
      errno = c.errorNumber;
      return -1;
    };
    auto m = Running(0);
    RunJournal journal(dir_, calls);
    journal.begin(*m, 0);
    for (int n = 1; n <= 6; ++n) {
      m->store.sampleCount = n;
      journal.append(*m, n * 1000);
    }
    EXPECT_FALSE(journal.journaling()) << c.what;
    const std::string told = journal.takeFailure();
    EXPECT_NE(told.find("The run is not journaled: "), std::string::npos) << c.what << ": " << told;
    EXPECT_NE(told.find(std::strerror(c.errorNumber)), std::string::npos) << c.what << ": " << told;
    EXPECT_EQ(journal.takeFailure(), "") << c.what;
    // A journal without its header is no journal: it is not left behind.
    ASSERT_EQ(Journals().size(), c.kept > 0 ? 1u : 0u) << c.what;
    if (c.kept == 0) continue;
    auto store = std::make_unique<SampleStore>();
    auto bytes = ReadWholeFile(Journals().at(0));
    ASSERT_TRUE(bytes.ok()) << c.what;
    auto decoded = DecodeJournal(bytes.value(), *store);
    ASSERT_TRUE(decoded.ok()) << c.what;
    EXPECT_EQ(decoded.value().samples, c.kept) << c.what;
  }
}

TEST_F(JournalFolder, GoesOnlyWhenTheRunIsSavedOrGivenUp) {
  struct Case {
    const char* what;
    std::function<void(RunJournal&, AppModel&)> act;
    bool kept;
  };
  const Case cases[] = {
      {"saved while the run goes on", [](RunJournal& j, AppModel& m) { j.runSaved(m); }, true},
      {"saved after Stop", [](RunJournal& j, AppModel& m) { Stop(m.flags, m.run, NullObserver()); j.runSaved(m); }, false},
      {"a save that failed", [](RunJournal&, AppModel& m) { Stop(m.flags, m.run, NullObserver()); }, true},
      {"No to a save question", [](RunJournal& j, AppModel&) { j.giveUp(); }, false},
      {"a next run starts", [](RunJournal& j, AppModel& m) { j.begin(m, 5000); }, true},
      {"the program ends", [](RunJournal&, AppModel&) {}, true},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    auto m = Running(3);
    {
      RunJournal journal(dir_, calls_);
      journal.begin(*m, 0);
      journal.append(*m, 0);
      c.act(journal, *m);
    }
    const std::vector<UnsavedJournal> left = FindUnsavedJournals(dir_);
    EXPECT_EQ(left.size() == 1 && left[0].samples == 3, c.kept) << c.what;
  }
}

TEST_F(JournalFolder, AJournalWithoutSamplesIsNeverKept) {
  auto m = Running(0);
  {
    RunJournal journal(dir_, calls_);
    journal.begin(*m, 0);
    journal.begin(*m, 100);  // a next run: the empty journal goes
    EXPECT_EQ(Journals().size(), 1u);
  }
  EXPECT_EQ(Journals().size(), 1u);
  EXPECT_TRUE(FindUnsavedJournals(dir_).empty());
  EXPECT_TRUE(Journals().empty());
}

TEST_F(JournalFolder, EachAnswerToTheRecoveryQuestion) {
  const auto original = MixedRun(7);
  auto running = Running(7);
  {
    RunJournal writer(dir_, calls_);
    writer.begin(*running, 0);
    writer.append(*running, 0);
  }
  struct Case {
    RecoveryAnswer answer;
    bool askNext;
    bool journalLeft;
    int samplesShown;
  };
  const Case cases[] = {
      {RecoveryAnswer::Later, true, true, 0},
      {RecoveryAnswer::Recover, false, true, 7},
      {RecoveryAnswer::Discard, true, false, 0},
  };
  for (const Case& c : cases) {
    const std::vector<UnsavedJournal> found = FindUnsavedJournals(dir_);
    ASSERT_EQ(found.size(), 1u);
    auto model = std::make_unique<AppModel>();
    RunJournal journal(dir_, calls_);
    const RecoveryStep step = AnswerRecovery(found[0], c.answer, *model, journal, NullObserver());
    EXPECT_EQ(step.problem, "");
    EXPECT_EQ(step.askNext, c.askNext);
    EXPECT_EQ(model->store.sampleCount, c.samplesShown);
    // While the recovered run is on show, this program holds its journal.
    EXPECT_EQ(FindUnsavedJournals(dir_).empty(), c.answer != RecoveryAnswer::Later);
    journal = RunJournal(dir_, calls_);
    EXPECT_EQ(FindUnsavedJournals(dir_).size(), c.journalLeft ? 1u : 0u);
    if (c.answer != RecoveryAnswer::Recover) continue;
    // Shown as after Stop.
    EXPECT_EQ(model->run.phase, RunPhase::Idle);
    EXPECT_TRUE(RunOnShow(model->run.phase, model->store.sampleCount));
    EXPECT_EQ(model->statsBar.startTime, "14/03/25 10:22:05");
    EXPECT_EQ(model->statsBar.sampleCount, "7");
    EXPECT_EQ(model->statsBar.interval, "2");
    for (int i = 0; i < 7; ++i) ExpectSameSample(original->store, model->store, i);
    // The cursors work on it: 760 x 700 gives a plot from x = 294 at 4 px per sample.
    LayoutChart(*model, 760, 700);
    ASSERT_TRUE(RightRelease(*model, 294 + 8, 760, 700, NullObserver()));
    EXPECT_EQ(model->chart.cursorA, 2);
    LayoutChart(*model, 760, 700);
    EXPECT_EQ(model->cursorBar.aValue, "ERR1");
    EXPECT_EQ(model->cursorBar.aTime, "10:22:09");
  }
}

TEST_F(JournalFolder, ARecoveredRunSavesByteForByteAsTheRunWould) {
  // The run as the sample timer leaves it: its clock texts come from the commits.
  auto m = Running(0);
  RunJournal writer(dir_, calls_);
  writer.begin(*m, 0);
  const auto mixed = MixedRun(11);
  for (int n = 1; n <= 11; ++n) {
    m->store = mixed->store;
    m->store.sampleCount = n - 1;
    m->run.newSample = true;
    ASSERT_TRUE(CommitTick(*m, false, NullObserver()));
    writer.append(*m, n * 1000);
  }
  Stop(m->flags, m->run, NullObserver());
  ASSERT_TRUE(SaveRun(*m, dir_ + "/original.KvtDat").ok());
  const std::string journalPath = writer.path();
  writer = RunJournal(dir_, calls_);

  ASSERT_TRUE(RecoverToFile(journalPath, dir_ + "/recovered.KvtDat", true).ok());
  EXPECT_EQ(ReadWholeFile(dir_ + "/recovered.KvtDat").value(), ReadWholeFile(dir_ + "/original.KvtDat").value());
  EXPECT_EQ(ReadWholeFile(dir_ + "/recovered.txt").value(), ReadWholeFile(dir_ + "/original.txt").value());
  EXPECT_FALSE(fs::exists(journalPath));
}

TEST_F(JournalFolder, ARecoveryThatCannotWriteKeepsTheJournal) {
  auto m = Running(4);
  std::string journalPath;
  {
    RunJournal writer(dir_, calls_);
    writer.begin(*m, 0);
    writer.append(*m, 0);
    journalPath = writer.path();
  }
  const FileStatus status = RecoverToFile(journalPath, dir_ + "/no/such/folder/run.KvtDat", false);
  ASSERT_FALSE(status.ok());
  EXPECT_TRUE(fs::exists(journalPath));
  EXPECT_FALSE(RecoverToFile(dir_ + "/missing.pvjournal", dir_ + "/run.KvtDat", false).ok());
}

}  // namespace
}  // namespace pv
