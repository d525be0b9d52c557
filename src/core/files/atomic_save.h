// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing one or more files as a unit: either every file gets its new contents or none
// is touched. Each file is written and synced under a temporary name in its target
// folder, and only when all are complete are they renamed into place; the folders are
// synced last, so that the new names are on disk when the save returns. A symlink at a
// target is replaced by the new file, never written through.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "files/file_result.h"

namespace pv {

struct FileToWrite {
  FileToWrite(std::string p, std::string_view c) : path(std::move(p)), contents(c) {}
  FileToWrite(std::string p, std::span<const std::uint8_t> c)
      : path(std::move(p)), contents(reinterpret_cast<const char*>(c.data()), c.size()) {}

  std::string path;
  std::string_view contents;  // must outlive the save
};

// The system calls whose failure a save must survive; tests replace them to simulate
// a full disk or a failing device. fsync syncs the files and, after the renames, their
// folders; rename renames a temporary to its target inside one open folder.
struct SaveSystemCalls {
  std::function<ssize_t(int, const void*, std::size_t)> write;
  std::function<int(int)> fsync;
  std::function<int(int folder, const char* from, const char* to)> rename;

  static SaveSystemCalls Posix();
};

// On failure the temporaries are removed, existing files keep their contents, and the
// error names the file and the system's reason ("x.txt: cannot write: No space left on
// device"). Renames run only after every file is on disk; should one of them still
// fail, the files already renamed keep their new contents and the error says so. A new
// file gets mode 0644 less the umask; a replaced regular file keeps its mode.
FileStatus SaveFilesAtomically(std::span<const FileToWrite> files,
                               const SaveSystemCalls& calls = SaveSystemCalls::Posix());

// The folder a file of that path is written in: "." for a bare name.
std::string FolderOf(const std::string& path);

inline constexpr std::string_view kDataFileExtension = ".KvtDat";
inline constexpr std::string_view kSpreadsheetExtension = ".xls";

// The path as the file will be written: a name that does not already end with the
// extension (in any letter case) gets it, whatever dots the name holds otherwise
// ("25-03-14 10.22.05. 1Sec" -> "25-03-14 10.22.05. 1Sec.KvtDat", "run.2025" ->
// "run.2025.xls", "run.XLS" stays).
std::string WithExtension(std::string_view path, std::string_view extension);

// Whether the path's file name ends with the extension, in any letter case.
bool HasExtension(std::string_view path, std::string_view extension);

// A run's companion files are named by one rule: the data file's path without a trailing
// ".KvtDat" (any letter case), plus their own ending, in the same folder. Any other dot
// belongs to the name ("tank.v1" -> "tank.v1.txt", never "tank.txt").
std::string RunFileStem(std::string_view dataPath);

// The text table that Save writes beside a data file ("/d/run.KvtDat" -> "/d/run.txt").
std::string TextTablePathFor(std::string_view dataPath);

// The hold test's record kept beside a data file ("/d/run.KvtDat" -> "/d/run.holdtest.json").
std::string HoldTestPathFor(std::string_view dataPath);

}  // namespace pv
