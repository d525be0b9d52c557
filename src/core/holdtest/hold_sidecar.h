// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test that goes with a saved run, kept beside its data file as
// NAME.holdtest.json: found again when the data file is opened, checked against the run
// it names, and written again as a new revision when the record changes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_result.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"

namespace pv {

// A test record is a page of text; anything near this size is not one. Every reader of
// a record (a sidecar, a --record file) stops here.
inline constexpr std::size_t kMaxRecordFileBytes = 1u << 20;

// The longest text a record's field (or any text in it) may hold, in characters: well
// inside what a spreadsheet cell takes (32,767), far beyond any note a person writes.
// A reader refuses a longer one with the key's name.
inline constexpr std::size_t kMaxRecordTextChars = 10000;

// Reads the text of a record file (a sidecar, a --record file), refusing one larger than
// kMaxRecordFileBytes or that is no regular file; errors start with the path.
FileResult<std::string> ReadRecordFile(const std::string& path);

// Reads a record file that holds only a record's fields ({"test_id": ..., ...}), as the
// command line's --record option names it. Keys that name no field are put in
// *unknownKeys, for a warning: a mistyped key would otherwise lose its field silently.
FileResult<HoldRecord> ReadHoldRecordFile(const std::string& path, std::vector<std::string>* unknownKeys);

// The SHA-256 of a revision's canonical JSON: the object without its "fingerprint" and
// "revisions" members, written compactly (no space or line break outside the texts,
// the members in their order, texts in UTF-8 with JSON's own escapes only). A record's
// fingerprint is this of itself. Empty for a text that is no JSON object.
std::string RevisionContentsSha256(std::string_view revisionJson);

// What opening a data file found beside it.
struct SidecarRead {
  // The record, when there is one that could be read and that belongs to this run.
  std::optional<HoldTestFile> test;
  // Why a sidecar that is there is not used (unreadable, or "this record belongs to
  // another run"); empty otherwise.
  std::string problem;
  bool otherRun = false;  // the record names another run: it is never this run's test
};

// Reads the record beside dataPath; dataBytes are the data file's bytes as loaded, which
// the record's run binding must match.
SidecarRead ReadHoldTestBeside(const std::string& dataPath, std::span<const std::uint8_t> dataBytes);

// What an auditor asks of a record: are the data file and the record what they were when
// it was written, and do the samples give the verdict it states?
struct RecordCheck {
  bool dataUnchanged = false;    // the data file's SHA-256 is the record's
  bool recordUnchanged = false;  // the record's fingerprint is that of its contents
  bool verdictHolds = false;     // the samples and the stored inputs give the stored verdict
  HoldOutcome recomputed;        // the test recomputed from the samples and the stored inputs
  std::vector<std::string> differences;  // one sentence per thing that does not hold
};

// Checks test (as read, with its fingerprint) against the data file's bytes and its rows.
RecordCheck CheckHoldTest(const HoldTestFile& test, std::span<const std::uint8_t> dataBytes,
                          const SampleRows& rows, int intervalSeconds);

// The test as it is written beside the data file at dataPath whose bytes are dataBytes:
// bound to those bytes, and numbered after the record already there when that one
// belongs to the same bytes (revision n + 1, the earlier ones kept, or that record as it
// is when test tells nothing new). The run's start is test.run's when given, otherwise
// the earlier record's.
HoldTestFile NextRevision(const std::string& dataPath, std::span<const std::uint8_t> dataBytes, HoldTestFile test);

// The test on show takes the identity of the record written beside its run (its run,
// revision and fingerprint) when it is that record: same inputs, record and result.
// Returns whether it did; a test that differs stays unsaved, with no fingerprint.
bool TakeWrittenIdentity(HoldTestFile& shown, const HoldTestFile& written);

// Writes test beside the data file at dataPath (whose bytes are dataBytes) as the record's
// next revision (NextRevision), through the atomic save, with its fingerprint.
FileStatus WriteHoldTestRevision(const std::string& dataPath, std::span<const std::uint8_t> dataBytes,
                                 HoldTestFile test);

}  // namespace pv
