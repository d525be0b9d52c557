// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small file system for tests of full disks, seen by nobody else: a child process
// gets a mount namespace of its own, mounts a tmpfs over a folder there and runs the
// test's body, which says what went wrong ("" for nothing). gtest's assertions do not
// reach back from the child, hence the text. Without the right to mount (not root, or
// no namespaces in this container) the test is skipped and says why.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pv::testsupport {

struct SmallDiskRun {
  bool mounted = false;
  std::string problem;  // why it could not mount, or what the body found wrong
};

inline SmallDiskRun OnSmallDisk(const std::string& folder, const std::function<std::string()>& body,
                                const char* size = "size=64k") {
  int channel[2];
  if (::pipe(channel) != 0) return {false, std::string("pipe: ") + std::strerror(errno)};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    std::string report;
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", folder.c_str(), "tmpfs", 0, size) != 0) {
      report = std::string("Scannot mount a small tmpfs in a private namespace: ") + std::strerror(errno);
    } else {
      report = "R" + body();
    }
    [[maybe_unused]] auto n = ::write(channel[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string report;
  char block[4096];
  for (ssize_t n; (n = ::read(channel[0], block, sizeof block)) != 0;)
    if (n > 0) report.append(block, static_cast<std::size_t>(n));
    else if (errno != EINTR) break;
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  if (report.empty()) return {true, "the test's child process died"};
  return {report[0] == 'R', report.substr(1)};
}

// Fills the file system of folder to the last byte with a file of its own.
inline void FillUp(const std::string& folder) {
  const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const std::vector<char> block(4096, 'x');
  for (std::size_t size = block.size(); size > 0;) {
    if (::write(fd, block.data(), size) < 0) size /= 2;
  }
  ::close(fd);
}

// Runs a shell command (from inside a small disk's child, where QProcess has no event
// loop to run on); its exit status and what it wrote on both outputs.
inline std::pair<int, std::string> RunShell(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return {-1, std::strerror(errno)};
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) output.append(block, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

}  // namespace pv::testsupport

// Runs body on a small tmpfs over folder: skips when it cannot, fails with what the
// body reported.
#define PV_ON_SMALL_DISK(folder, ...)                                        \
  do {                                                                       \
    const auto run_ = ::pv::testsupport::OnSmallDisk((folder), __VA_ARGS__); \
    if (!run_.mounted) GTEST_SKIP() << run_.problem;                         \
    EXPECT_EQ(run_.problem, "");                                             \
  } while (false)
