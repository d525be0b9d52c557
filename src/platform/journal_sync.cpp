#include "platform/journal_sync.h"

namespace pv {

JournalSync::JournalSync(std::function<void(const std::string&)> onFailure) : onFailure_(std::move(onFailure)) {
  clock_.start();
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (journal_) schedule(journal_->syncIfDue(clock_.elapsed()));
  });
}

void JournalSync::begin(RunJournal& journal, const AppModel& model) {
  journal_ = &journal;
  journal.begin(model, clock_.elapsed());
  schedule(-1);
}

void JournalSync::append(RunJournal& journal, const AppModel& model) {
  journal_ = &journal;
  schedule(journal.append(model, clock_.elapsed()));
}

void JournalSync::schedule(int inMs) {
  if (inMs >= 0) timer_.start(inMs);
  if (const std::string why = journal_->takeFailure(); !why.empty() && onFailure_) onFailure_(why);
}

}  // namespace pv
