// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pv {
namespace {

FileError SystemError(const std::string& path, const char* doing, int err) {
  return FileError{path + ": " + doing + ": " + std::strerror(err)};
}

}  // namespace

FileResult<int> OpenRegularFile(const std::string& path) {
  // Non-blocking, so that opening a FIFO with no writer returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return SystemError(path, "cannot open", errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int err = errno;
    ::close(fd);
    return SystemError(path, "cannot read", err);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return S_ISDIR(info.st_mode) ? SystemError(path, "cannot read", EISDIR)
                                 : FileError{path + ": not a regular file"};
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FileResult<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  const auto opened = OpenRegularFile(path);
  if (!opened) return opened.error();
  const int fd = opened.value();
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int err = errno;
    ::close(fd);
    return SystemError(path, "cannot read", err);
  }
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    ::close(fd);
    return FileError{path + ": " + std::to_string(info.st_size) + " bytes is too large for a data file"};
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return SystemError(path, "cannot read", err);
    }
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
      ::close(fd);
      return FileError{path + ": more than " + std::to_string(maxBytes) +
                       " bytes is too large for a data file"};
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return bytes;
}

}  // namespace pv
