// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data-logger file (".KvtDat"): the committed samples of a run in the layout the
// logger graph loads. Little-endian, no header or checksum:
//   count N (int32), header, start, end, unit name (archive texts),
//   start hour, minute, second, interval ms (int32 each),
//   N values (float32), N full scales (float32), N six-byte texts, N unit codes (uint8).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app_model.h"
#include "files/file_result.h"
#include "logger/logger_store.h"

namespace pv {

// The most records a file may hold: the logger store's capacity.
inline constexpr int kMaxLoggerRecords = kStoreCapacity;

// The run's committed samples (store.sampleCount of them) as a data-logger file.
std::vector<std::uint8_t> EncodeDataLoggerFile(const AppModel& model);

struct DecodedLoggerFile {
  LoggerStore store;              // complete, loaded = 1
  std::size_t trailingBytes = 0;  // bytes after the last field, ignored
};

// Reads a whole file into a fresh store, so a damaged file never leaves half a file
// in the store the graph shows: the caller takes the store over only on success.
// Rejects a count outside 0..17280, unit codes outside the unit table, texts longer
// than 65535 characters and any field the file ends inside, naming field and offset.
FileResult<DecodedLoggerFile> DecodeDataLoggerFile(std::span<const std::uint8_t> bytes);

// Reads and decodes the file at path; errors start with the path.
FileResult<DecodedLoggerFile> LoadDataLoggerFile(const std::string& path);

// Replaces the shown logger data by a completely loaded file.
void AdoptLoggerFile(LoggerStore& shown, DecodedLoggerFile&& loaded);

}  // namespace pv
