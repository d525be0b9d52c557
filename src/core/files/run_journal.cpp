// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/run_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "text_format.h"

namespace pv {
namespace {

// A full journal and a little more: a longer file is read no further than this.
constexpr std::size_t kMaxJournalBytes = kJournalHeaderSize + kJournalSampleSize * (kMaxSamples + 1);

std::string Failure(const std::string& path, const char* doing, int err) {
  return path + ": " + doing + ": " + std::strerror(err);
}

// Creates the folder and any missing parents, private to the user as the state
// folder is meant to be. Returns 0 or the error number.
int MakeFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// Reads at most kMaxJournalBytes from the start of fd.
FileResult<std::vector<std::uint8_t>> ReadBounded(int fd, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  struct stat st {};
  if (::fstat(fd, &st) != 0) return FileError{Failure(path, "cannot read", errno)};
  if (!S_ISREG(st.st_mode)) return FileError{path + ": not a regular file"};
  bytes.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)), kMaxJournalBytes));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileError{Failure(path, "cannot read", errno)};
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

std::string JournalName(std::time_t start) {
  static int counter = 0;
  return "run-" + FormatLocalTime(start, "%Y%m%d-%H%M%S") + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter++) + std::string(kJournalExtension);
}

}  // namespace

JournalSystemCalls JournalSystemCalls::Posix() {
  return {[](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
          [](int fd) { return ::fdatasync(fd); }};
}

std::string DefaultJournalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/pneuvista";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/state/pneuvista";
}

JournalFile& JournalFile::operator=(JournalFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

void JournalFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void JournalFile::remove() {
  if (!path_.empty()) ::unlink(path_.c_str());
  close();
  path_.clear();
}

FileResult<HeldJournal> HoldJournal(const std::string& path, SampleStore& store) {
  // Non-blocking, so that a pipe that carries a journal's name cannot hold the program up.
  JournalFile file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK), path);
  if (!file.isOpen()) return FileError{Failure(path, "cannot open", errno)};
  if (::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return FileError{path + ": a running program is recording this run"};
    return FileError{Failure(path, "cannot lock", errno)};
  }
  auto bytes = ReadBounded(file.fd(), path);
  if (!bytes) return bytes.error();
  auto decoded = DecodeJournal(bytes.value(), store);
  if (!decoded) return FileError{path + ": " + decoded.error().message};
  return HeldJournal{std::move(file), decoded.value()};
}

std::vector<UnsavedJournal> FindUnsavedJournals(const std::string& folder) {
  std::vector<UnsavedJournal> found;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return found;
  auto scratch = std::make_unique<SampleStore>();
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (!name.ends_with(kJournalExtension)) continue;
    auto held = HoldJournal(folder + "/" + std::string(name), *scratch);
    if (!held) continue;
    HeldJournal& h = held.value();
    if (h.contents.samples == 0) {
      h.file.remove();
      continue;
    }
    found.push_back({h.file.path(), h.contents.header, h.contents.samples});
  }
  std::sort(found.begin(), found.end(), [](const UnsavedJournal& a, const UnsavedJournal& b) {
    return a.header.startTime != b.header.startTime ? a.header.startTime > b.header.startTime : a.path > b.path;
  });
  return found;
}

RunJournal::RunJournal(std::string folder, JournalSystemCalls calls)
    : folder_(std::move(folder)), calls_(std::move(calls)) {}

void RunJournal::begin(const AppModel& model, std::int64_t nowMs) {
  if (samples_ == 0) {
    file_.remove();
  } else {
    file_.close();
  }
  samples_ = 0;
  failed_ = false;
  pending_ = false;
  // The header's sync does not hold back the first sample's, which comes at the next
  // whole second: the samples are then synced as their ticks take them.
  lastSyncMs_ = nowMs - kJournalSyncPeriodMs;
  if (const int err = MakeFolders(folder_); err != 0) {
    fail(Failure(folder_, "cannot create the folder", err));
    return;
  }
  std::string path;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    path = folder_ + "/" + JournalName(model.run.startTime);
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    fail(Failure(path, "cannot create", errno));
    return;
  }
  file_ = JournalFile(fd, path);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    fail(Failure(path, "cannot lock", errno));
    return;
  }
  const JournalHeaderBytes header = EncodeJournalHeader({model.run.startTime, model.run.intervalMs});
  // A file without its whole header is no journal: it is not left behind.
  if (!writeRecord(header.data(), header.size()) || calls_.datasync(fd) != 0) {
    if (!failed_) fail(Failure(path, "cannot write", errno));
    file_.remove();
    return;
  }
  // The new file's name must survive a power cut as well as its contents.
  const int folderFd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
}

int RunJournal::append(const AppModel& model, std::int64_t nowMs) {
  const int committed = std::clamp(model.store.sampleCount, 0, kMaxSamples);
  while (journaling() && samples_ < committed) {
    const JournalSampleBytes record = EncodeJournalSample(model.store, samples_);
    if (!writeRecord(record.data(), record.size())) break;
    ++samples_;
    pending_ = true;
  }
  return syncIfDue(nowMs);
}

int RunJournal::syncIfDue(std::int64_t nowMs) {
  if (!journaling()) pending_ = false;
  if (pending_ && untilSync(nowMs) == 0) {
    pending_ = false;
    lastSyncMs_ = nowMs;
    if (calls_.datasync(file_.fd()) != 0) fail(Failure(file_.path(), "cannot write", errno));
  }
  return pending_ ? untilSync(nowMs) : -1;
}

// A sample timer a second apart can fire just before the sync is due: a sync that
// close to its time is taken then rather than in a wake-up of its own a moment later.
constexpr int kSyncEarlyMs = 50;

int RunJournal::untilSync(std::int64_t nowMs) const {
  const std::int64_t due = lastSyncMs_ + kJournalSyncPeriodMs;
  return nowMs >= due - kSyncEarlyMs ? 0 : static_cast<int>(due - nowMs);
}

void RunJournal::adopt(HeldJournal&& held) {
  if (samples_ == 0) file_.remove();
  file_ = std::move(held.file);
  samples_ = held.contents.samples;
  // A recovered run gets no further samples: nothing more is written to its journal.
  failed_ = false;
  pending_ = false;
}

void RunJournal::runSaved(const AppModel& model) {
  if (RunGoing(model.run.phase) || model.store.sampleCount < samples_) return;
  giveUp();
}

void RunJournal::giveUp() {
  file_.remove();
  samples_ = 0;
  failed_ = false;
  pending_ = false;
}

std::string RunJournal::takeFailure() {
  return std::exchange(failure_, {});
}

bool RunJournal::writeRecord(const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    errno = 0;
    const ssize_t n = calls_.write(file_.fd(), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fail(Failure(file_.path(), "cannot write", n < 0 && errno != 0 ? errno : ENOSPC));
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void RunJournal::fail(const std::string& why) {
  // The lock stays: another program must not offer a run that is still going.
  failed_ = true;
  pending_ = false;
  failure_ = "The run is not journaled: " + why;
}

}  // namespace pv
