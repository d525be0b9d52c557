#pragma once
// Drives a run's journal from the event loop: appends each committed sample and syncs
// the file on the journal's own schedule (at most once a second, at most a second after
// a commit) with a single-shot timer, and passes a failure on once.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <string>

#include "app_model.h"
#include "files/run_journal.h"

namespace pv {

class JournalSync {
 public:
  // onFailure gets the journal's message ("The run is not journaled: ...") once.
  explicit JournalSync(std::function<void(const std::string&)> onFailure);

  void begin(RunJournal& journal, const AppModel& model);
  void append(RunJournal& journal, const AppModel& model);
  // No sync after this; the journal itself stays as it is.
  void stop() { timer_.stop(); }

 private:
  void schedule(int inMs);

  std::function<void(const std::string&)> onFailure_;
  RunJournal* journal_ = nullptr;  // the journal the pending sync is for
  QTimer timer_;
  QElapsedTimer clock_;
};

}  // namespace pv
