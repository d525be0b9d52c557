// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The journal of the run on show: one file per run in the state folder, created when
// the run starts, each committed sample appended, synced about once a second (never
// twice within 950 ms, the header's sync apart) and at most a second after a commit.
// The recording program holds an exclusive lock on it, so that another program never
// offers a run that is still going. The file goes only when the run is saved or given
// up on purpose; a failing disk stops the journal, not the run.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app_model.h"
#include "files/file_result.h"
#include "files/journal_format.h"

namespace pv {

inline constexpr int kJournalSyncPeriodMs = 1000;
inline constexpr std::string_view kJournalExtension = ".pvjournal";

// The system calls whose failure a journal must survive; tests replace them.
struct JournalSystemCalls {
  std::function<ssize_t(int, const void*, std::size_t)> write;
  std::function<int(int)> datasync;

  static JournalSystemCalls Posix();
};

// "$XDG_STATE_HOME/pneuvista", with ~/.local/state when the variable is unset or not
// an absolute path.
std::string DefaultJournalFolder();

// An open journal file, closed (and its lock released) with the object.
class JournalFile {
 public:
  JournalFile() = default;
  JournalFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  JournalFile(JournalFile&& other) noexcept { *this = std::move(other); }
  JournalFile& operator=(JournalFile&& other) noexcept;
  ~JournalFile() { close(); }

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  void close();
  // Removes the file, then closes it.
  void remove();

 private:
  int fd_ = -1;
  std::string path_;
};

// A journal that no running program holds, read and locked by this one.
struct HeldJournal {
  JournalFile file;
  DecodedJournal contents;
};

// Opens, locks and reads the journal at path into store. Fails when the file cannot
// be read, is no journal, or a running program holds it.
FileResult<HeldJournal> HoldJournal(const std::string& path, SampleStore& store);

struct UnsavedJournal {
  std::string path;
  JournalHeader header;
  int samples = 0;
};

// The journals in folder that hold samples and no running program holds, the newest
// start first. Journals of runs that never got a sample are removed on the way.
std::vector<UnsavedJournal> FindUnsavedJournals(const std::string& folder);

class RunJournal {
 public:
  explicit RunJournal(std::string folder, JournalSystemCalls calls = JournalSystemCalls::Posix());

  // A run started: a new journal with its start and interval. The previous run's
  // journal is left for a later recovery, unless it holds no sample.
  void begin(const AppModel& model, std::int64_t nowMs);
  // Appends the committed samples not yet journaled. Returns the milliseconds until
  // a sync is due, -1 when nothing waits for one.
  int append(const AppModel& model, std::int64_t nowMs);
  // Syncs when it is due; returns as append does.
  int syncIfDue(std::int64_t nowMs);
  // A recovered run is on show: its journal goes with it.
  void adopt(HeldJournal&& held);
  // Save wrote the run: its journal goes, when the run has ended and every sample
  // the journal holds was saved.
  void runSaved(const AppModel& model);
  // The user gave the run on show up (No to a save question): its journal goes.
  void giveUp();

  // Once after the journal stopped working: why. Empty otherwise.
  std::string takeFailure();
  bool journaling() const { return file_.isOpen() && !failed_; }
  const std::string& path() const { return file_.path(); }
  const std::string& folder() const { return folder_; }
  int samples() const { return samples_; }

 private:
  bool writeRecord(const std::uint8_t* data, std::size_t size);
  void fail(const std::string& why);
  int untilSync(std::int64_t nowMs) const;

  std::string folder_;
  JournalSystemCalls calls_;
  JournalFile file_;
  int samples_ = 0;
  bool failed_ = false;
  bool pending_ = false;          // appended, not yet synced
  std::int64_t lastSyncMs_ = 0;
  std::string failure_;           // not yet told
};

}  // namespace pv
