// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test that goes with a saved run, kept beside its data file as
// NAME.holdtest.json: found again when the data file is opened, checked against the run
// it names, and written again as a new revision when the record changes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/file_result.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"

namespace pv {

// A test record is a page of text; anything near this size is not one. Every reader of
// a record (a sidecar, a --record file) stops here.
inline constexpr std::size_t kMaxRecordFileBytes = 1u << 20;

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

// Writes test beside the data file at dataPath (whose bytes are dataBytes) as the record's
// next revision: revision n + 1 with the earlier ones kept when the record there belongs
// to this run, revision 1 otherwise. Binds it to the run and sets its fingerprint.
FileStatus WriteHoldTestRevision(const std::string& dataPath, std::span<const std::uint8_t> dataBytes,
                                 HoldTestFile test);

}  // namespace pv
