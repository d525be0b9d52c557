#include "files/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace pv {
namespace {

struct Pending {
  const FileToWrite* file = nullptr;
  std::string temporary;
  int fd = -1;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileError Failure(const std::string& path, const char* doing, int err) {
  return FileError{path + ": " + doing + ": " + std::strerror(err)};
}

// A name of our own beside the target, created exclusively so it never clobbers
// anything; mode 0666 lets the umask decide, as for any new file.
int CreateTemporary(const std::string& target, std::string& temporary, int& err) {
  static std::atomic<unsigned> counter{0};
  const std::string stem =
      FolderOf(target) + "/." + NameOf(target) + ".tmp-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + std::to_string(counter++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  err = errno;
  return -1;
}

bool WriteAll(const SaveSystemCalls& calls, int fd, std::string_view data, int& err) {
  std::size_t done = 0;
  while (done < data.size()) {
    errno = 0;
    const ssize_t n = calls.write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 && errno != 0 ? errno : EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void Discard(std::vector<Pending>& pending) {
  for (Pending& p : pending) {
    if (p.fd >= 0) ::close(p.fd);
    p.fd = -1;
    if (!p.temporary.empty()) ::unlink(p.temporary.c_str());
  }
}

}  // namespace

SaveSystemCalls SaveSystemCalls::Posix() {
  return SaveSystemCalls{
      [](int fd, const void* data, std::size_t n) { return ::write(fd, data, n); },
      [](int fd) { return ::fsync(fd); },
      [](const char* from, const char* to) { return ::rename(from, to); },
  };
}

namespace {

// Only regular files are replaced: renaming over a device, a pipe or a folder would
// replace it (as root even /dev/full).
std::optional<FileError> RefuseTargets(std::span<const FileToWrite> files) {
  for (const FileToWrite& file : files) {
    if (NameOf(file.path).empty()) return FileError{file.path + ": no file name given"};
    struct stat target {};
    if (::stat(file.path.c_str(), &target) == 0 && !S_ISREG(target.st_mode))
      return FileError{file.path + ": not a regular file; choose another name"};
  }
  return std::nullopt;
}

// Every file into a temporary beside its target, written and synced.
std::optional<FileError> WriteTemporaries(std::span<const FileToWrite> files, const SaveSystemCalls& calls,
                                          std::vector<Pending>& pending) {
  for (const FileToWrite& file : files) {
    Pending& p = pending.emplace_back();
    p.file = &file;
    int err = 0;
    p.fd = CreateTemporary(file.path, p.temporary, err);
    if (p.fd < 0) {
      p.temporary.clear();
      Discard(pending);
      return Failure(file.path, ("cannot create a file in " + FolderOf(file.path)).c_str(), err);
    }
    // Replacing a file keeps its permissions.
    struct stat existing {};
    if (::stat(file.path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
      ::fchmod(p.fd, existing.st_mode & 07777);
    }
    if (!WriteAll(calls, p.fd, file.contents, err)) {
      Discard(pending);
      return Failure(file.path, "cannot write", err);
    }
  }

  // Syncing after all files are written lets the first sync carry the others' data in
  // the same journal commit, so two files cost little more than one.
  for (Pending& p : pending) {
    if (calls.fsync(p.fd) != 0) {
      const int err = errno;
      Discard(pending);
      return Failure(p.file->path, "cannot write to disk", err);
    }
    const int fd = p.fd;
    p.fd = -1;
    if (::close(fd) != 0) {
      const int err = errno;
      Discard(pending);
      return Failure(p.file->path, "cannot write to disk", err);
    }
  }
  return std::nullopt;
}

// The temporaries onto their targets, in order; a failure names what is already saved.
std::optional<FileError> RenameIntoPlace(std::vector<Pending>& pending, const SaveSystemCalls& calls) {
  for (std::size_t i = 0; i < pending.size(); ++i) {
    Pending& p = pending[i];
    if (calls.rename(p.temporary.c_str(), p.file->path.c_str()) != 0) {
      const int err = errno;
      std::vector<Pending> rest(pending.begin() + static_cast<std::ptrdiff_t>(i), pending.end());
      Discard(rest);
      std::string message = p.file->path + ": cannot replace: " + std::strerror(err);
      if (i > 0) {
        message += " (already saved:";
        for (std::size_t k = 0; k < i; ++k) message += " " + pending[k].file->path;
        message += ")";
      }
      return FileError{message};
    }
  }
  return std::nullopt;
}

}  // namespace

FileStatus SaveFilesAtomically(std::span<const FileToWrite> files, const SaveSystemCalls& calls) {
  if (auto refused = RefuseTargets(files)) return *refused;
  std::vector<Pending> pending;
  pending.reserve(files.size());
  if (auto failed = WriteTemporaries(files, calls, pending)) return *failed;
  if (auto failed = RenameIntoPlace(pending, calls)) return *failed;
  // The folder is not synced: a crash before the file system commits the renames
  // leaves the previous files, which is the promise; syncing it would double the
  // time the user waits.
  return Succeeded();
}

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  text.remove_prefix(text.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(tail[i])))
      return false;
  return true;
}

std::string_view FileNameOf(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string WithExtension(std::string_view path, std::string_view extension) {
  std::string out(path);
  const std::string_view name = FileNameOf(path);
  if (!name.empty() && !EndsWithNoCase(name, extension)) out += extension;
  return out;
}

bool HasExtension(std::string_view path, std::string_view extension) {
  return EndsWithNoCase(FileNameOf(path), extension);
}

std::string TextTablePathFor(std::string_view dataPath) {
  const std::string_view name = FileNameOf(dataPath);
  std::string out(dataPath.substr(0, dataPath.size() - name.size()));
  out += name.substr(
      0, EndsWithNoCase(name, kDataFileExtension) ? name.size() - kDataFileExtension.size() : name.size());
  out += ".txt";
  return out;
}

}  // namespace pv
