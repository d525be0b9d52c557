// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli verify: does a saved run's test record still tell the truth? The data file
// and the record are checked against the fingerprints the record was written with, and
// the test is recomputed from the samples and the stored inputs.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/sample_rows.h"
#include "files/sha256.h"
#include "holdtest/hold_sidecar.h"
#include "text_format.h"

namespace pv::cli {
namespace {

constexpr int kExitDiffers = 4;

constexpr std::string_view kDetails =
    "The record beside the data file (FILE.holdtest.json) names the run it was written for\n"
    "(the data file's SHA-256, its start and sample count) and carries a fingerprint of its\n"
    "own contents. verify recomputes the test from the samples and the record's stored\n"
    "inputs and says whether the data file and its record are unchanged since the record\n"
    "was written and whether the stored verdict is the one the samples give. It prints the\n"
    "record's revision, its fingerprint and the data file's SHA-256, then one line for each\n"
    "thing that does not hold.\n"
    "\n"
    "exit status: 0 all holds; 4 something differs (each difference a line); 1 the data\n"
    "file or its record cannot be read, or there is no record beside the data file;\n"
    "2 wrong usage\n";

std::string Verdict(const HoldOutcome& outcome) {
  if (outcome.error != HoldError::None) return "cannot be recomputed";
  const HoldResult& r = outcome.result;
  std::string text = r.passed ? "PASSED" : "NOT PASSED";
  for (std::size_t i = 0; i < r.reasons.size(); ++i) text += (i == 0 ? ": " : "; ") + r.reasons[i];
  return text;
}

int RunVerify(Args args, std::ostream& out, std::ostream& err) {
  std::string input;
  for (const std::string_view a : args) {
    if (a.starts_with("-") && a != "-") return UsageError(err, kVerifyCommand, "unknown option '" + std::string(a) + "'");
    if (!input.empty()) return UsageError(err, kVerifyCommand, "more than one data file given");
    input = a;
  }
  if (input.empty()) return UsageError(err, kVerifyCommand, "no data file given");

  auto bytes = ReadWholeFile(input);
  if (!bytes) return Fail(err, kExitBadFile, ShownText(bytes.error().message));
  const std::vector<std::uint8_t>& data = bytes.value();
  auto decoded = DecodeDataLoggerFile(data);
  if (!decoded) return Fail(err, kExitBadFile, ShownText(input + ": " + decoded.error().message));
  const LoggerStore& store = decoded.value().store;

  const std::string recordPath = HoldTestPathFor(input);
  std::error_code ignored;
  if (!std::filesystem::exists(std::filesystem::symlink_status(recordPath, ignored)))
    return Fail(err, kExitBadFile, ShownText(input + ": no test record beside it (" + recordPath + ")"));
  auto text = ReadRecordFile(recordPath);
  if (!text) return Fail(err, kExitBadFile, ShownText(text.error().message));
  std::string why;
  const std::optional<HoldTestFile> test = ParseHoldTestJson(text.value(), &why);
  if (!test) return Fail(err, kExitBadFile, ShownText(recordPath + ": not a test record: " + why));

  std::optional<std::int64_t> startUtc;
  if (test->run) startUtc = ParseIsoDateTime(test->run->startDateTime);
  const LoggerFileRows rows(store, startUtc);
  const RecordCheck check = CheckHoldTest(*test, data, rows, store.intervalMs / 1000);

  out << "data file: " << ShownText(input) << "\n"
      << "data SHA-256: " << Sha256Hex(data) << "\n"
      << "record: " << ShownText(recordPath) << "\n"
      << "revision: " << test->revision << "\n"
      << "fingerprint: " << (test->fingerprint.empty() ? "none" : ShownText(test->fingerprint)) << "\n"
      << "stored verdict: " << ShownText(Verdict({HoldError::None, {}, test->result})) << "\n"
      << "recomputed verdict: " << ShownText(Verdict(check.recomputed)) << "\n";
  for (const std::string& difference : check.differences) out << "differs: " << ShownText(difference) << "\n";
  if (check.differences.empty())
    out << "holds: the data file and its record are unchanged, and the samples give the stored verdict\n";
  out.flush();
  if (!out) return Fail(err, kExitBadFile, "cannot write the output");
  return check.differences.empty() ? kExitOk : kExitDiffers;
}

}  // namespace

const CliCommand kVerifyCommand{
    "verify", "verify FILE.KvtDat",
    "Check a saved run's test record against its data file and recompute its verdict from the samples.",
    RunVerify, kDetails};

}  // namespace pv::cli
