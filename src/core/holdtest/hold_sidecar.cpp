// SPDX-License-Identifier: GPL-3.0-or-later
// The record beside a run: found, bound to the run's bytes, checked, and written again as
// a new revision that keeps the ones before it.
#include "holdtest/hold_sidecar.h"

#include <sys/stat.h>

#include <array>
#include <nlohmann/json.hpp>

#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/sha256.h"
#include "holdtest/hold_json_keys.h"

namespace pv {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kOtherRun = "this record belongs to another run";

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// What lies beside a data file: nothing, a text that is no record (problem), or a record
// with the text it was read from.
struct Beside {
  bool there = false;
  std::string text;
  std::optional<HoldTestFile> test;
  std::string problem;
};

Beside ReadBeside(const std::string& dataPath) {
  Beside beside;
  const std::string path = HoldTestPathFor(dataPath);
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return beside;  // no test went with this run
  beside.there = true;
  auto text = ReadRecordFile(path);
  if (!text) {
    beside.problem = text.error().message;
    return beside;
  }
  beside.text = std::move(text).value();
  std::string error;
  beside.test = ParseHoldTestJson(beside.text, &error);
  if (!beside.test) beside.problem = path + ": " + error;
  return beside;
}

// Whether the data file at dataPath holds these bytes now.
bool OnDisk(const std::string& dataPath, std::span<const std::uint8_t> dataBytes) {
  const auto bytes = ReadWholeFile(dataPath);
  return bytes && std::equal(bytes.value().begin(), bytes.value().end(), dataBytes.begin(), dataBytes.end());
}

// A record that names its run belongs to the bytes it names; one written before records
// named their run belongs to the data file it lies beside, as that file is now.
bool Belongs(const HoldTestFile& test, const std::string& sha256, const std::string& dataPath,
             std::span<const std::uint8_t> dataBytes) {
  return test.run ? test.run->sha256 == sha256 : OnDisk(dataPath, dataBytes);
}

std::string Verdict(bool passed) {
  return passed ? "PASSED" : "NOT PASSED";
}

std::string Joined(const std::vector<std::string>& reasons) {
  std::string text;
  for (const std::string& r : reasons) text += (text.empty() ? "" : "; ") + r;
  return text.empty() ? "no reason" : text;
}

// The run a binding names, as a person reads it: "5 samples from 10:00:00".
std::string RunWords(const RunBinding& run) {
  // An ISO date-time's time of day is its characters 11 to 18.
  const std::string start = run.startDateTime.size() >= 19 ? run.startDateTime.substr(11, 8) : "an unknown time";
  return std::to_string(run.samples) + " samples from " + start;
}

void CheckData(const HoldTestFile& test, std::span<const std::uint8_t> dataBytes, const SampleRows& rows,
               RecordCheck& check) {
  if (!test.run) {
    check.differences.push_back(
        "the record names no run: it was written before records named the data file they belong to");
    return;
  }
  const std::string sha256 = Sha256Hex(dataBytes);
  check.dataUnchanged = test.run->sha256 == sha256;
  if (check.dataUnchanged) return;
  // Another start or length is another run; the same ones with other bytes, an edit.
  const bool sameStart = test.run->startDateTime.size() < 19 || rows.size() == 0 ||
                         rows.row(0).time == test.run->startDateTime.substr(11, 8);
  if (test.run->samples != rows.size() || !sameStart) {
    check.differences.push_back(std::string(kOtherRun) + ": it names " + RunWords(*test.run) +
                                ", the data file holds " + std::to_string(rows.size()) + " samples from " +
                                (rows.size() > 0 ? rows.row(0).time : std::string("nothing")));
  } else {
    check.differences.push_back("the data file changed since the record was written: its SHA-256 is " + sha256 +
                                ", the record names " + test.run->sha256);
  }
}

void CheckRevisions(const HoldTestFile& test, RecordCheck& check) {
  if (test.fingerprint.empty()) {
    check.differences.push_back("the record carries no fingerprint: it cannot tell whether it was changed");
  } else {
    // A test not read from a file is checked as it would be written.
    std::string contents = test.contentsSha256;
    if (contents.empty()) contents = RevisionContentsSha256(HoldTestJson(test));
    check.recordUnchanged = contents == test.fingerprint;
    if (!check.recordUnchanged)
      check.differences.push_back("the record was changed after it was written: its contents do not give its fingerprint");
  }
  for (std::size_t i = 0; i < test.earlierRevisions.size(); ++i) {
    const Json earlier = Json::parse(test.earlierRevisions[i], nullptr, false);
    const auto stored = earlier.is_object() ? earlier.find(hold_json::kFingerprintKey) : earlier.end();
    const std::string revision = "revision " + std::to_string(i + 1);
    if (stored == earlier.end() || !stored->is_string()) {
      check.differences.push_back(revision + " carries no fingerprint");
    } else if (stored->get<std::string>() != RevisionContentsSha256(test.earlierRevisions[i])) {
      check.differences.push_back(revision +
                                  " was changed after it was written: its contents do not give its fingerprint");
    } else {
      continue;
    }
    check.recordUnchanged = false;
  }
}

void CheckVerdict(const HoldTestFile& test, const SampleRows& rows, int intervalSeconds, RecordCheck& check) {
  check.recomputed = AnalyseHold(rows, intervalSeconds, test.criteria);
  if (check.recomputed.error != HoldError::None) {
    check.differences.push_back("the test cannot be recomputed from the samples: " + check.recomputed.message);
    return;
  }
  const HoldResult& stored = test.result;
  const HoldResult& again = check.recomputed.result;
  check.verdictHolds = true;
  if (stored.passed != again.passed) {
    check.differences.push_back("the record says " + Verdict(stored.passed) + ", the samples give " +
                                Verdict(again.passed) +
                                (again.reasons.empty() ? std::string() : " (" + Joined(again.reasons) + ")"));
  } else if (stored.reasons != again.reasons) {
    check.differences.push_back("the record's reasons are not the samples': it says \"" + Joined(stored.reasons) +
                                "\", the samples give \"" + Joined(again.reasons) + "\"");
  } else if (stored.state != again.state) {
    check.differences.push_back("the record says the test is " +
                                std::string(hold_json::StateName(stored.state)) + ", the samples give " +
                                std::string(hold_json::StateName(again.state)));
  } else {
    return;
  }
  check.verdictHolds = false;
}

}  // namespace

FileResult<std::string> ReadRecordFile(const std::string& path) {
  auto bytes = ReadWholeFile(path, kMaxRecordFileBytes);
  if (!bytes) {
    std::string message = bytes.error().message;
    constexpr std::string_view kDataFile = "too large for a data file";
    if (message.ends_with(kDataFile))
      message.replace(message.size() - kDataFile.size(), kDataFile.size(), "too large for a test record (at most 1 MiB)");
    return FileError{message};
  }
  return std::string(AsText(bytes.value()));
}

FileResult<HoldRecord> ReadHoldRecordFile(const std::string& path, std::vector<std::string>* unknownKeys) {
  auto text = ReadRecordFile(path);
  if (!text) return text.error();
  std::string reason;
  auto record = ParseHoldRecordJson(text.value(), &reason, unknownKeys);
  if (!record) return FileError{path + ": not a test record: " + reason};
  return *std::move(record);
}

SidecarRead ReadHoldTestBeside(const std::string& dataPath, std::span<const std::uint8_t> dataBytes) {
  Beside beside = ReadBeside(dataPath);
  SidecarRead read;
  read.problem = std::move(beside.problem);
  if (!beside.test) return read;
  // The caller's bytes are the data file as it lies beside the record.
  if (beside.test->run && beside.test->run->sha256 != Sha256Hex(dataBytes)) {
    read.otherRun = true;
    read.problem = kOtherRun;
    return read;
  }
  read.test = std::move(beside.test);
  return read;
}

RecordCheck CheckHoldTest(const HoldTestFile& test, std::span<const std::uint8_t> dataBytes,
                          const SampleRows& rows, int intervalSeconds) {
  RecordCheck check;
  CheckData(test, dataBytes, rows, check);
  CheckRevisions(test, check);
  CheckVerdict(test, rows, intervalSeconds, check);
  return check;
}

HoldTestFile NextRevision(const std::string& dataPath, std::span<const std::uint8_t> dataBytes, HoldTestFile test) {
  const std::string sha256 = Sha256Hex(dataBytes);
  RunBinding run = test.run.value_or(RunBinding{});
  run.sha256 = sha256;
  if (auto decoded = DecodeDataLoggerFile(dataBytes)) run.samples = decoded.value().store.recordCount;
  test.revision = 1;
  test.earlierRevisions.clear();
  test.fingerprint.clear();
  test.contentsSha256.clear();

  Beside beside = ReadBeside(dataPath);
  if (!beside.test || !Belongs(*beside.test, sha256, dataPath, dataBytes)) {
    test.run = run;
    return test;
  }
  const HoldTestFile& there = *beside.test;
  if (run.startDateTime.empty() && there.run) run.startDateTime = there.run->startDateTime;
  test.run = run;
  test.revision = there.revision;
  test.earlierRevisions = there.earlierRevisions;
  // Nothing new: the record stays the revision it is.
  if (RevisionContentsSha256(HoldTestJson(test)) == there.contentsSha256) return there;
  Json previous = Json::parse(beside.text, nullptr, false);
  previous.erase(hold_json::kRevisionsKey);
  test.earlierRevisions.push_back(previous.dump(-1, ' ', false, Json::error_handler_t::replace));
  test.revision = there.revision + 1;
  return test;
}

bool TakeWrittenIdentity(HoldTestFile& shown, const HoldTestFile& written) {
  HoldTestFile candidate = shown, kept = written;
  candidate.run = kept.run;
  candidate.revision = kept.revision;
  candidate.fingerprint = kept.fingerprint;
  candidate.earlierRevisions = kept.earlierRevisions;
  if (HoldTestJson(candidate) != HoldTestJson(kept)) return false;
  shown.run = written.run;
  shown.revision = written.revision;
  shown.fingerprint = written.fingerprint;
  return true;
}

FileStatus WriteHoldTestRevision(const std::string& dataPath, std::span<const std::uint8_t> dataBytes,
                                 HoldTestFile test) {
  const std::string text = HoldTestJson(NextRevision(dataPath, dataBytes, std::move(test)));
  const std::array<FileToWrite, 1> files{FileToWrite(HoldTestPathFor(dataPath), text)};
  return SaveFilesAtomically(files);
}

}  // namespace pv
