// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/run_recovery.h"

#include <memory>

#include "chart/acquisition.h"
#include "files/run_files.h"
#include "text_format.h"

namespace pv {

std::string RecoveryQuestion(const UnsavedJournal& journal) {
  return Format("A run of %d sample%s started %s was not saved.", journal.samples, journal.samples == 1 ? "" : "s",
                FormatLocalTime(journal.header.startTime, "%d/%m/%y %H:%M:%S").c_str());
}

RecoveryStep AnswerRecovery(const UnsavedJournal& journal, RecoveryAnswer answer, AppModel& model,
                            RunJournal& runJournal, ModelObserver& observer) {
  if (answer == RecoveryAnswer::Later) return {};
  auto store = std::make_unique<SampleStore>();
  auto held = HoldJournal(journal.path, *store);
  // A journal that vanished or was taken by another program in the meantime is
  // skipped; nothing of the run on show changes.
  if (!held) return {true, held.error().message};
  if (answer == RecoveryAnswer::Discard) {
    held.value().file.remove();
    return {};
  }
  const DecodedJournal contents = held.value().contents;
  RestoreRun(model, contents.header, std::move(*store), contents.samples, observer);
  runJournal.adopt(std::move(held.value()));
  return {false, {}};
}

FileStatus RecoverToFile(const std::string& journalPath, const std::string& dataPath, bool withTextTable) {
  auto model = std::make_unique<AppModel>();
  auto store = std::make_unique<SampleStore>();
  auto held = HoldJournal(journalPath, *store);
  if (!held) return held.error();
  const DecodedJournal contents = held.value().contents;
  if (contents.samples == 0) return FileError{journalPath + ": the journal holds no sample"};
  RestoreRun(*model, contents.header, std::move(*store), contents.samples, NullObserver());
  FileStatus status = SaveRunFiles(*model, dataPath, withTextTable);
  if (status) held.value().file.remove();
  return status;
}

}  // namespace pv
