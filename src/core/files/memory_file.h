// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file in memory with a path of its own, for libraries that write only to a named
// file (the workbook's, the PDF printer's): they write there without touching any
// folder, and the bytes then reach the disk through the atomic save like every other
// file the program writes.
#include <cstdint>
#include <string>
#include <vector>

namespace pv {

class MemoryFile {
 public:
  explicit MemoryFile(const char* name);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // False when the system could not make one; errno says why.
  bool ok() const { return fd_ >= 0; }
  // "/proc/self/fd/N": opening it opens this file.
  std::string path() const;
  // Everything written so far; false with errno set when it cannot be read.
  bool read(std::vector<std::uint8_t>& out) const;

 private:
  int fd_;
};

}  // namespace pv
