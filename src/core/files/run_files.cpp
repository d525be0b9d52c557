// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/run_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/sample_rows.h"
#include "files/sha256.h"
#include "files/text_table.h"
#include "holdtest/hold_record.h"
#include "holdtest/hold_sidecar.h"

namespace pv {
namespace {

// A record beside dataPath that is not bound to the bytes being saved told of another
// run: left in place, it would be taken for this run's test. A record of these very
// bytes (the same run saved again) is this run's and stays.
FileStatus RemoveStaleRecord(const std::string& dataPath, bool staysForTheseBytes) {
  if (staysForTheseBytes) return Succeeded();
  const std::string path = HoldTestPathFor(dataPath);
  if (std::remove(path.c_str()) != 0 && errno != ENOENT)
    return FileError{path + ": cannot remove the hold test of an earlier run: " + std::strerror(errno)};
  return Succeeded();
}

bool RecordOfTheseBytes(const std::string& dataPath, std::span<const std::uint8_t> data) {
  const SidecarRead read = ReadHoldTestBeside(dataPath, data);
  return read.test && read.test->run;
}

FileStatus Save(const AppModel& model, const std::string& dataPath, bool withTextTable,
                const HoldTestFile* holdTest) {
  const std::vector<std::uint8_t> data = EncodeDataLoggerFile(model);
  const LiveRunRows rows(model);
  std::vector<FileToWrite> files{FileToWrite(dataPath, std::span(data))};
  std::string table, sidecar;
  if (withTextTable) files.emplace_back(TextTablePathFor(dataPath), table = BuildTextTable(rows));
  if (holdTest) {
    HoldTestFile bound = *holdTest;
    bound.run = RunBinding{Sha256Hex(data), rows.size() > 0 ? IsoDateTime(rows.row(0)) : std::string(),
                           rows.size()};
    sidecar = HoldTestJson(NextRevision(dataPath, data, std::move(bound)));
    files.emplace_back(HoldTestPathFor(dataPath), sidecar);
  }
  const bool keepRecord = holdTest || RecordOfTheseBytes(dataPath, data);
  FileStatus status = SaveFilesAtomically(files);
  if (!status) return status;
  return RemoveStaleRecord(dataPath, keepRecord);
}

}  // namespace

FileStatus SaveRun(const AppModel& model, const std::string& dataPath, const HoldTestFile* holdTest) {
  return Save(model, dataPath, true, holdTest);
}

FileStatus SaveRunFiles(const AppModel& model, const std::string& dataPath, bool withTextTable) {
  return Save(model, dataPath, withTextTable, nullptr);
}

}  // namespace pv
