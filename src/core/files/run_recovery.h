// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bringing back a run from its journal: the question the window puts per unsaved run,
// what each answer does, and the command-line tool's recovery into a saved file.
#include <string>

#include "app_model.h"
#include "files/file_result.h"
#include "files/run_journal.h"
#include "model_observer.h"

namespace pv {

enum class RecoveryAnswer { Recover, Discard, Later };

// "A run of 12 samples started 08/12/26 10:25:03 was not saved."
std::string RecoveryQuestion(const UnsavedJournal& journal);

struct RecoveryStep {
  bool askNext = true;  // one run can be on show: after a Recover the others wait
  std::string problem;  // the journal could not be recovered or removed, for the user
};

// Recover shows the run as after Stop and keeps its journal with it until the run is
// saved or given up; Discard removes the journal; Later leaves it for the next start.
RecoveryStep AnswerRecovery(const UnsavedJournal& journal, RecoveryAnswer answer, AppModel& model,
                            RunJournal& runJournal, ModelObserver& observer);

// Writes the run of the journal at path as Save writes it (the text table too when
// withTextTable), then removes the journal. On any failure the journal stays.
FileStatus RecoverToFile(const std::string& journalPath, const std::string& dataPath, bool withTextTable);

}  // namespace pv
