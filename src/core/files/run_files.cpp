// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/run_files.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/sample_rows.h"
#include "files/text_table.h"
#include "holdtest/hold_record.h"

namespace pv {

FileStatus SaveRun(const AppModel& model, const std::string& dataPath, const HoldTestFile* holdTest) {
  const std::vector<std::uint8_t> data = EncodeDataLoggerFile(model);
  const std::string table = BuildTextTable(LiveRunRows(model));
  const std::string sidecarPath = HoldTestPathFor(dataPath);
  const std::string sidecar = holdTest ? HoldTestJson(*holdTest) : std::string();
  std::vector<FileToWrite> files{FileToWrite(dataPath, std::span(data)),
                                 FileToWrite(TextTablePathFor(dataPath), table)};
  if (holdTest) files.emplace_back(sidecarPath, sidecar);
  FileStatus status = SaveFilesAtomically(files);
  if (!status || holdTest) return status;
  // Left in place, a stale test would be restored with this run as if it were its own.
  if (std::remove(sidecarPath.c_str()) != 0 && errno != ENOENT)
    return FileError{sidecarPath + ": cannot remove the hold test of an earlier run: " + std::strerror(errno)};
  return status;
}

FileStatus SaveRunFiles(const AppModel& model, const std::string& dataPath, bool withTextTable) {
  if (withTextTable) return SaveRun(model, dataPath);
  const std::vector<std::uint8_t> data = EncodeDataLoggerFile(model);
  const std::array<FileToWrite, 1> files{FileToWrite(dataPath, std::span(data))};
  return SaveFilesAtomically(files);
}

}  // namespace pv
