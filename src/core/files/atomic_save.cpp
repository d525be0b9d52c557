// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "files/save_temporaries.h"

namespace pv {
namespace {

// A target folder, held open so that every step of the save works in the same folder
// whatever happens to its path meanwhile.
struct Folder {
  std::string path;
  int fd = -1;
  bool readable = true;  // a drop folder (write without read) cannot be synced
};

struct Pending {
  const FileToWrite* file = nullptr;
  int folderFd = -1;
  std::string name;
  std::string temporary;  // a name in the folder; empty once renamed or removed
  int fd = -1;
};

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileError Failure(const std::string& path, const std::string& doing, int err) {
  return FileError{path + ": " + doing + ": " + std::strerror(err)};
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

void Discard(std::span<Pending> pending) {
  for (Pending& p : pending) {
    if (p.fd >= 0) ::close(p.fd);
    p.fd = -1;
    if (!p.temporary.empty()) ::unlinkat(p.folderFd, p.temporary.c_str(), 0);
    p.temporary.clear();
  }
}

// The folders of all targets, each opened once, and every target named in its folder.
class SaveFolders {
 public:
  SaveFolders() = default;
  SaveFolders(const SaveFolders&) = delete;
  SaveFolders& operator=(const SaveFolders&) = delete;
  ~SaveFolders() {
    for (const Folder& f : folders_) ::close(f.fd);
  }

  std::optional<FileError> open(std::span<const FileToWrite> files, std::vector<Pending>& pending) {
    for (const FileToWrite& file : files) {
      Pending& p = pending.emplace_back();
      p.file = &file;
      p.name = NameOf(file.path);
      if (p.name.empty() || p.name == "." || p.name == "..")
        return FileError{file.path + ": no file name given"};
      const std::string folder = FolderOf(file.path);
      auto known =
          std::find_if(folders_.begin(), folders_.end(), [&](const Folder& f) { return f.path == folder; });
      if (known == folders_.end()) {
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool readable = fd >= 0;
        if (!readable && errno == EACCES) fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return Failure(file.path, "cannot create a file in " + folder, errno);
        known = folders_.insert(folders_.end(), Folder{folder, fd, readable});
      }
      p.folderFd = known->fd;
    }
    return std::nullopt;
  }

  // The renames reach the disk only with their folder's own sync. Some file systems
  // cannot sync a folder at all; there it is the file system's promise, not ours.
  std::optional<FileError> sync(const SaveSystemCalls& calls, const std::vector<Pending>& pending) const {
    for (const Folder& f : folders_) {
      if (!f.readable || calls.fsync(f.fd) == 0 || errno == EINVAL || errno == ENOTSUP) continue;
      const int err = errno;
      std::string saved;
      for (const Pending& p : pending) saved += " " + p.file->path;
      return FileError{f.path + ": cannot write the folder to disk: " + std::strerror(err) +
                       " (saved but not yet safe from a power cut:" + saved + ")"};
    }
    return std::nullopt;
  }

 private:
  std::vector<Folder> folders_;
};

}  // namespace

SaveSystemCalls SaveSystemCalls::Posix() {
  return SaveSystemCalls{
      [](int fd, const void* data, std::size_t n) { return ::write(fd, data, n); },
      [](int fd) { return ::fsync(fd); },
      [](int folder, const char* from, const char* to) { return ::renameat(folder, from, folder, to); },
  };
}

namespace {

// Only regular files and symlinks are replaced: renaming over a device, a pipe or a
// folder would replace it (as root even /dev/full). A symlink itself is replaced by
// the new file; what it points to is left alone.
std::optional<FileError> RefuseTargets(const std::vector<Pending>& pending) {
  for (const Pending& p : pending) {
    struct stat target {};
    if (::fstatat(p.folderFd, p.name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(target.st_mode) && !S_ISLNK(target.st_mode))
      return FileError{p.file->path + ": not a regular file; choose another name"};
  }
  return std::nullopt;
}

// Every file into a temporary beside its target, written and synced.
std::optional<FileError> WriteTemporaries(const SaveSystemCalls& calls, std::vector<Pending>& pending) {
  for (Pending& p : pending) {
    RemoveStaleTemporaries(p.folderFd, p.name);
    p.fd = CreateSaveTemporary(p.folderFd, p.name, p.temporary);
    if (p.fd < 0) {
      const int err = errno;
      p.temporary.clear();
      Discard(pending);
      return Failure(p.file->path, "cannot create a file in " + FolderOf(p.file->path), err);
    }
    // Replacing a regular file keeps its permissions; a symlink's target lends none.
    struct stat existing {};
    if (::fstatat(p.folderFd, p.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(existing.st_mode))
      ::fchmod(p.fd, existing.st_mode & 07777);
    int err = 0;
    if (!WriteAll(calls, p.fd, p.file->contents, err)) {
      Discard(pending);
      return Failure(p.file->path, "cannot write", err);
    }
  }

  // Syncing after all files are written lets the first sync carry the others' data in
  // the same journal commit, so two files cost little more than one.
  for (Pending& p : pending) {
    const int fd = p.fd;
    const bool synced = calls.fsync(fd) == 0;
    const int err = errno;
    p.fd = -1;
    if (!synced || ::close(fd) != 0) {
      Discard(pending);
      return Failure(p.file->path, "cannot write to disk", synced ? errno : err);
    }
  }
  return std::nullopt;
}

// The temporaries onto their targets, in order; a failure names what is already saved.
std::optional<FileError> RenameIntoPlace(std::vector<Pending>& pending, const SaveSystemCalls& calls) {
  for (std::size_t i = 0; i < pending.size(); ++i) {
    Pending& p = pending[i];
    if (calls.rename(p.folderFd, p.temporary.c_str(), p.name.c_str()) != 0) {
      const int err = errno;
      Discard(std::span(pending).subspan(i));
      std::string message = p.file->path + ": cannot replace: " + std::strerror(err);
      if (i > 0) {
        message += " (already saved:";
        for (std::size_t k = 0; k < i; ++k) message += " " + pending[k].file->path;
        message += ")";
      }
      return FileError{message};
    }
    p.temporary.clear();
  }
  return std::nullopt;
}

}  // namespace

FileStatus SaveFilesAtomically(std::span<const FileToWrite> files, const SaveSystemCalls& calls) {
  SaveFolders folders;
  std::vector<Pending> pending;
  pending.reserve(files.size());
  if (auto failed = folders.open(files, pending)) return *failed;
  if (auto refused = RefuseTargets(pending)) return *refused;
  if (auto failed = WriteTemporaries(calls, pending)) return *failed;
  if (auto failed = RenameIntoPlace(pending, calls)) return *failed;
  // Whoever gives up another copy of the data after a save (a run's journal) may do so
  // once this returns: the folder holds the new names on disk by then.
  if (auto failed = folders.sync(calls, pending)) return *failed;
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

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string WithExtension(std::string_view path, std::string_view extension) {
  std::string out(path);
  const std::string_view name = FileNameOf(path);
  if (!name.empty() && !EndsWithNoCase(name, extension)) out += extension;
  return out;
}

bool HasExtension(std::string_view path, std::string_view extension) {
  return EndsWithNoCase(FileNameOf(path), extension);
}

std::string RunFileStem(std::string_view dataPath) {
  const std::string_view name = FileNameOf(dataPath);
  const bool dataExtension = EndsWithNoCase(name, kDataFileExtension) && name.size() > kDataFileExtension.size();
  return std::string(dataPath.substr(0, dataPath.size() - (dataExtension ? kDataFileExtension.size() : 0)));
}

std::string TextTablePathFor(std::string_view dataPath) {
  return RunFileStem(dataPath) + ".txt";
}

std::string HoldTestPathFor(std::string_view dataPath) {
  return RunFileStem(dataPath) + ".holdtest.json";
}

}  // namespace pv
