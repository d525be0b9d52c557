// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a meter session needs of whoever drives it: the user's answers and the Save
// command (SessionPrompts), and timers (SessionTimers). The window answers with its
// dialogs, the command-line recorder with its options, tests with scripts.
#include <cstdint>
#include <optional>

namespace pv {

// Wall-clock time in milliseconds since the epoch, as the driver reads it.
using Millis = std::int64_t;

enum class SaveQuestion { BeforeRun, BeforeClose };

// Yes and No answer a save question; Escape or closing the box cancels the command
// that asked.
enum class SaveAnswer { Save, DontSave, Cancel };

class SessionPrompts {
 public:
  virtual ~SessionPrompts() = default;
  virtual SaveAnswer askToSave(SaveQuestion question) = 0;
  // Save: true once the run is written; false when it was cancelled or failed.
  virtual bool saveRun() = 0;
  // The sample-rate dialog opened with preset: the seconds entered, nothing when
  // cancelled.
  virtual std::optional<int> askInterval(int preset) = 0;
};

class SessionTimers {
 public:
  virtual ~SessionTimers() = default;
  // One tick of the timer inMs from now; a negative inMs stops it.
  virtual void armSampleTimer(int inMs) = 0;
  virtual void armWatchdog(int inMs) = 0;
  virtual void armJournalSync(int inMs) = 0;
};

}  // namespace pv
