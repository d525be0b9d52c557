// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace pv {

MemoryFile::MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {}

MemoryFile::~MemoryFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::string MemoryFile::path() const {
  return "/proc/self/fd/" + std::to_string(fd_);
}

bool MemoryFile::read(std::vector<std::uint8_t>& out) const {
  const off_t size = ::lseek(fd_, 0, SEEK_END);
  if (size < 0) return false;
  out.resize(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;  // shorter than it was a moment ago
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace pv
