// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/save_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace pv {
namespace {

std::string PrefixOf(const std::string& name) {
  return "." + name + ".tmp-";
}

// 64 bits from the kernel; should it have none to give, a mix of the clock and a
// counter still differs from every name made before.
std::string RandomPart() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    static std::atomic<std::uint64_t> counter{0};
    bits = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) *
               0x9E3779B97F4A7C15u ^
           ++counter;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(bits));
  return hex;
}

// The process id in ".NAME.tmp-PID-RANDOM", or 0 when the entry is not one of ours.
pid_t OwnerPid(std::string_view entry, std::string_view prefix) {
  if (!entry.starts_with(prefix)) return 0;
  entry.remove_prefix(prefix.size());
  long long pid = 0;
  std::size_t i = 0;
  for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9' && pid < (1LL << 31); ++i)
    pid = pid * 10 + (entry[i] - '0');
  if (i == 0 || i >= entry.size() || entry[i] != '-' || pid <= 0 || pid >= (1LL << 31)) return 0;
  return static_cast<pid_t>(pid);
}

}  // namespace

int CreateSaveTemporary(int folderFd, const std::string& name, std::string& temporary) {
  const std::string stem = PrefixOf(name) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 8; ++attempt) {
    temporary = stem + RandomPart();
    const int fd =
        ::openat(folderFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void RemoveStaleTemporaries(int folderFd, const std::string& name) {
  const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* folder = ::fdopendir(listFd);
  if (!folder) {
    ::close(listFd);
    return;
  }
  const std::string prefix = PrefixOf(name);
  while (const dirent* entry = ::readdir(folder)) {
    const pid_t pid = OwnerPid(entry->d_name, prefix);
    if (pid == 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to ask about
    struct stat info {};
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) ::unlinkat(folderFd, entry->d_name, 0);
  }
  ::closedir(folder);
}

}  // namespace pv
