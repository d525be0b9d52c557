// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a whole file into memory, with the system's reason when that fails.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/file_result.h"

namespace pv {

// Files larger than this are refused before reading: no data file comes near it.
inline constexpr std::size_t kMaxReadFileBytes = 64u << 20;

// Opens a file for reading only when it is a regular file: a FIFO, a device or a folder
// is refused at once ("not a regular file") instead of blocking the reader. Returns the
// descriptor (blocking, close-on-exec) for the caller to close.
FileResult<int> OpenRegularFile(const std::string& path);

FileResult<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path,
                                                    std::size_t maxBytes = kMaxReadFileBytes);

}  // namespace pv
