// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/atomic_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/run_export.h"
#include "files/run_files.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "run_fixture.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

class AtomicSave : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    char pattern[] = "/tmp/pneuvista-save-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  static std::string Read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::string& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

TEST_F(AtomicSave, WritesAllFilesAndLeavesNoTemporaries) {
  Write(path("b.txt"), "old contents that are longer");
  const std::vector<FileToWrite> files = {{path("a.KvtDat"), "data"}, {path("b.txt"), "table"}};
  const FileStatus status = SaveFilesAtomically(files);
  ASSERT_TRUE(status) << status.error().message;
  EXPECT_EQ(Read(path("a.KvtDat")), "data");
  EXPECT_EQ(Read(path("b.txt")), "table");
  EXPECT_EQ(Names(), std::vector<std::string>({"a.KvtDat", "b.txt"}));
}

// Each system call failing in turn: no file is touched, no temporary stays, and the
// message names the file and the system's reason.
TEST_F(AtomicSave, AFailureLeavesExistingFilesIntact) {
  struct Case {
    const char* what;
    std::function<void(SaveSystemCalls&)> inject;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"disk full while writing the second file",
       [](SaveSystemCalls& c) {
         c.write = [n = 0](int fd, const void* d, std::size_t size) mutable -> ssize_t {
           if (++n == 2) return errno = ENOSPC, -1;
           return ::write(fd, d, size);
         };
       },
       "b.txt: cannot write: No space left on device"},
      {"device gives up half way",
       [](SaveSystemCalls& c) {
         c.write = [](int fd, const void* d, std::size_t size) -> ssize_t {
           if (size > 2) return ::write(fd, d, 2);
           return errno = EIO, -1;
         };
       },
       "a.KvtDat: cannot write: Input/output error"},
      {"sync fails", [](SaveSystemCalls& c) { c.fsync = [](int) { return errno = EIO, -1; }; },
       "a.KvtDat: cannot write to disk: Input/output error"},
  };
  for (const auto& c : cases) {
    Write(path("a.KvtDat"), "old data");
    Write(path("b.txt"), "old table");
    SaveSystemCalls calls = SaveSystemCalls::Posix();
    c.inject(calls);
    const std::vector<FileToWrite> files = {{path("a.KvtDat"), "new data"}, {path("b.txt"), "new table"}};
    const FileStatus status = SaveFilesAtomically(files, calls);
    ASSERT_FALSE(status) << c.what;
    EXPECT_EQ(status.error().message, path(c.message)) << c.what;
    EXPECT_EQ(Read(path("a.KvtDat")), "old data") << c.what;
    EXPECT_EQ(Read(path("b.txt")), "old table") << c.what;
    EXPECT_EQ(Names(), std::vector<std::string>({"a.KvtDat", "b.txt"})) << c.what;
  }
}

TEST_F(AtomicSave, AFailedRenameSaysWhatWasAlreadySaved) {
  SaveSystemCalls calls = SaveSystemCalls::Posix();
  calls.rename = [n = 0](int folder, const char* from, const char* to) mutable {
    if (++n == 2) return errno = EXDEV, -1;
    return ::renameat(folder, from, folder, to);
  };
  const std::vector<FileToWrite> files = {{path("a.KvtDat"), "data"}, {path("b.txt"), "table"}};
  const FileStatus status = SaveFilesAtomically(files, calls);
  ASSERT_FALSE(status);
  EXPECT_EQ(status.error().message,
            path("b.txt") +
                ": cannot replace: Invalid cross-device link (already saved: " + path("a.KvtDat") + ")");
  EXPECT_EQ(Names(), std::vector<std::string>({"a.KvtDat"}));
}

TEST_F(AtomicSave, AFolderThatCannotBeWrittenIsReported) {
  const std::vector<FileToWrite> missing = {{path("gone/a.KvtDat"), "data"}};
  const FileStatus status = SaveFilesAtomically(missing);
  ASSERT_FALSE(status);
  EXPECT_EQ(status.error().message, path("gone/a.KvtDat") + ": cannot create a file in " + path("gone") +
                                        ": No such file or directory");

  Write(path("a.KvtDat"), "old data");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  if (access(dir_.c_str(), W_OK) == 0)
    GTEST_SKIP() << "running with privileges that ignore folder permissions";
  const std::vector<FileToWrite> files = {{path("a.KvtDat"), "new data"}};
  const FileStatus readOnly = SaveFilesAtomically(files);
  ASSERT_FALSE(readOnly);
  EXPECT_EQ(readOnly.error().message,
            path("a.KvtDat") + ": cannot create a file in " + dir_ + ": Permission denied");
  EXPECT_EQ(Read(path("a.KvtDat")), "old data");
}

TEST_F(AtomicSave, ReplacingAFileKeepsItsPermissions) {
  Write(path("a.txt"), "old");
  fs::permissions(path("a.txt"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::vector<FileToWrite> files = {{path("a.txt"), "new"}};
  ASSERT_TRUE(SaveFilesAtomically(files));
  EXPECT_EQ(fs::status(path("a.txt")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A symlink at the target is replaced by the new file: what it points to keeps its
// contents and mode, and the new file gets the program's own mode.
TEST_F(AtomicSave, ASymlinkAtTheTargetIsReplacedNeverWrittenThrough) {
  Write(path("victim"), "keep");
  fs::permissions(path("victim"), static_cast<fs::perms>(0666));
  fs::create_symlink(path("victim"), path("a.KvtDat"));
  const mode_t mask = ::umask(022);
  const std::vector<FileToWrite> files = {{path("a.KvtDat"), "new"}};
  const FileStatus status = SaveFilesAtomically(files);
  ::umask(mask);
  ASSERT_TRUE(status) << status.error().message;
  EXPECT_EQ(Read(path("victim")), "keep");
  EXPECT_EQ(fs::status(path("victim")).permissions(), static_cast<fs::perms>(0666));
  EXPECT_EQ(Read(path("a.KvtDat")), "new");
  EXPECT_EQ(fs::status(path("a.KvtDat")).permissions(), static_cast<fs::perms>(0644));
}

// The renames reach the disk with their folder's sync, done before the save returns,
// so a journal given up after a save never goes before the new names are on disk.
TEST_F(AtomicSave, TheFolderIsSyncedAfterTheRenamesBeforeTheSaveReturns) {
  std::vector<std::string> steps;
  SaveSystemCalls calls = SaveSystemCalls::Posix();
  calls.fsync = [&](int fd) {
    struct stat info {};
    ::fstat(fd, &info);
    steps.push_back(S_ISDIR(info.st_mode) ? "sync folder" : "sync file");
    return ::fsync(fd);
  };
  calls.rename = [&](int folder, const char* from, const char* to) {
    steps.push_back("rename");
    return ::renameat(folder, from, folder, to);
  };
  const std::vector<FileToWrite> files = {{path("a.KvtDat"), "data"}, {path("a.txt"), "table"}};
  ASSERT_TRUE(SaveFilesAtomically(files, calls));
  EXPECT_EQ(steps, std::vector<std::string>({"sync file", "sync file", "rename", "rename", "sync folder"}));
}

// Temporaries that killed saves left are removed when their process is gone; names
// planted to block the next save's temporaries do not block it.
TEST_F(AtomicSave, StaleTemporariesGoAndPlantedNamesDoNotBlock) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string self = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool stays;
  };
  std::vector<Case> cases = {{".a.KvtDat.tmp-" + std::to_string(gone) + "-7f3a", false},
                             {".a.KvtDat.tmp-1-7f3a", true},                           // its process lives
                             {".b.KvtDat.tmp-" + std::to_string(gone) + "-1", true}};  // another file's
  for (int i = 0; i < 100; ++i) cases.push_back({".a.KvtDat.tmp-" + self + "-" + std::to_string(i), true});
  for (const Case& c : cases) Write(path(c.name), "left");
  const std::vector<FileToWrite> files = {{path("a.KvtDat"), "data"}};
  const FileStatus status = SaveFilesAtomically(files);
  ASSERT_TRUE(status) << status.error().message;
  for (const Case& c : cases) EXPECT_EQ(fs::exists(path(c.name)), c.stays) << c.name;
  EXPECT_EQ(Names().size(), cases.size());  // the stale one went, the new file came
}

TEST_F(AtomicSave, DevicesAndFoldersAreNeverReplaced) {
  fs::create_directory(path("folder.xls"));
  for (const std::string& target : {std::string("/dev/full"), std::string("/dev/null"), path("folder.xls")}) {
    const std::vector<FileToWrite> files = {{target, "data"}};
    FileStatus status = SaveFilesAtomically(files);
    ASSERT_FALSE(status) << target;
    EXPECT_EQ(status.error().message, target + ": not a regular file; choose another name");
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_TRUE(fs::is_directory(path("folder.xls")));
}

TEST(CompanionFiles, BesideTheDataFileWithoutOnlyItsOwnExtension) {
  struct Case {
    std::string_view data, table, record;
  };
  const Case cases[] = {
      {"/home/u/run.KvtDat", "/home/u/run.txt", "/home/u/run.holdtest.json"},
      {"/home/u/run", "/home/u/run.txt", "/home/u/run.holdtest.json"},
      {"run.KvtDat", "run.txt", "run.holdtest.json"},
      {"/d.KvtDat/25-03-14 10.22.05. 1Sec.KvtDat", "/d.KvtDat/25-03-14 10.22.05. 1Sec.txt",
       "/d.KvtDat/25-03-14 10.22.05. 1Sec.holdtest.json"},
      {"/home/u/run.kvtdat", "/home/u/run.txt", "/home/u/run.holdtest.json"},  // any letter case
      {"/home/u/run.KvtDat.KvtDat", "/home/u/run.KvtDat.txt", "/home/u/run.KvtDat.holdtest.json"},
      // Another dot is part of the name: these runs must not take tank.KvtDat's companions.
      {"/d/tank.v1", "/d/tank.v1.txt", "/d/tank.v1.holdtest.json"},
      {"/d/line 4.2", "/d/line 4.2.txt", "/d/line 4.2.holdtest.json"},
      {"/d/.KvtDat", "/d/.KvtDat.txt", "/d/.KvtDat.holdtest.json"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextTablePathFor(c.data), c.table) << c.data;
    EXPECT_EQ(HoldTestPathFor(c.data), c.record) << c.data;
  }
}

TEST(FileExtension, AddedUnlessTheNameEndsWithItInAnyCase) {
  struct Case {
    std::string_view path, extension, written;
  };
  const Case cases[] = {
      {"/d/26-12-08 06.03.16. 1Sec", kDataFileExtension, "/d/26-12-08 06.03.16. 1Sec.KvtDat"},
      {"/d/run", kDataFileExtension, "/d/run.KvtDat"},
      {"/d/run.KvtDat", kDataFileExtension, "/d/run.KvtDat"},
      {"/d/run.KVTDAT", kDataFileExtension, "/d/run.KVTDAT"},
      {"/d/run.txt", kDataFileExtension, "/d/run.txt.KvtDat"},
      {"/d.KvtDat/run", kDataFileExtension, "/d.KvtDat/run.KvtDat"},  // the folder's name does not count
      {"/d/run.2025", kSpreadsheetExtension, "/d/run.2025.xls"},
      {"/d/run.XLS", kSpreadsheetExtension, "/d/run.XLS"},
      {"", kSpreadsheetExtension, ""},  // no name chosen: nothing to write
  };
  for (const Case& c : cases) EXPECT_EQ(WithExtension(c.path, c.extension), c.written) << c.path;
}

TEST_F(AtomicSave, SaveAndExportWriteWhatTheFormatsDescribe) {
  auto m = test::MakeRun(3, 2);
  ASSERT_TRUE(SaveRun(*m, path("run.KvtDat")));
  ASSERT_TRUE(ExportRun(*m, path("run.xls")));
  auto data = ReadWholeFile(path("run.KvtDat"));
  ASSERT_TRUE(data);
  EXPECT_EQ(data.value(), EncodeDataLoggerFile(*m));
  EXPECT_EQ(Read(path("run.txt")), BuildTextTable(LiveRunRows(*m)));
  EXPECT_EQ(Read(path("run.xls")), BuildSpreadsheet(LiveRunRows(*m)));

  auto empty = test::MakeRun(0);
  ASSERT_TRUE(ExportRun(*empty, path("empty.xls")));
  EXPECT_FALSE(fs::exists(path("empty.xls")));
}

}  // namespace
}  // namespace pv
