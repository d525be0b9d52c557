// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/meter_session.h"

#include <algorithm>
#include <variant>

#include "chart/acquisition.h"
#include "link/ingest.h"
#include "link/port_commands.h"
#include "link/watchdog.h"

namespace pv {
namespace {

constexpr Millis kSecondMs = 1000;

std::time_t Seconds(Millis now) {
  return static_cast<std::time_t>(now >= 0 ? now / kSecondMs : (now - kSecondMs + 1) / kSecondMs);
}

// Closing asks whether to save when the run holds at least two samples.
bool AsksToSaveOnClose(const SampleStore& store) {
  return store.sampleCount >= 2;
}

}  // namespace

MeterSession::MeterSession(AppModel& model, SerialPort& port, ModelObserver& observer, SessionTimers& timers,
                           RunJournal* journal)
    : model_(model), port_(port), observer_(observer), timers_(timers), journal_(journal) {}

std::string MeterSession::greet() {
  return StartupPortSteps(model_, port_);
}

void MeterSession::watchLink() {
  timers_.armWatchdog(kWatchdogFirstMs);
}

Decoded MeterSession::bytesArrived(Millis now) {
  if (closed_) return {};
  const auto block = ReceiveBlock(port_);
  if (!block) return {};
  // The first reading after Run starts the run; it lands in the new run's first slot.
  if (phase() == RunPhase::Requested && std::holds_alternative<Reading>(DecodeBlock(*block))) startRun(now);
  const bool wasRunning = phase() == RunPhase::Running;
  const Decoded frame = IngestBlock(model_, *block, Seconds(now), observer_);
  if (!std::holds_alternative<std::monostate>(frame)) answered_ = true;
  if (wasRunning && phase() != RunPhase::Running) endSampling();
  return frame;
}

// The run's clock is the whole second at or after its first reading: the files label
// sample n with start + n x interval in whole seconds, so the sample timer takes each
// sample at the moment its label names, sample 0 included.
void MeterSession::startRun(Millis now) {
  const std::time_t start = Seconds(now + kSecondMs - 1);
  StartRun(model_, start, observer_);
  hold_.runReplaced();
  runStartMs_ = static_cast<Millis>(start) * kSecondMs;
  ticksTaken_ = 0;
  timers_.armSampleTimer(static_cast<int>(runStartMs_ - now));
  if (journal_) {
    journal_->begin(model_, now);
    scheduleJournal(-1);
  }
  observer_.runStarted();
}

bool MeterSession::sampleTick(Millis now) {
  if (closed_ || phase() != RunPhase::Running) return false;
  const bool committed = CommitTick(model_, model_.chart.rubberBandShown, observer_);
  ++ticksTaken_;
  if (committed) {
    if (journal_) scheduleJournal(journal_->append(model_, now));
    observer_.sampleCommitted();
    followHoldTest();
  }
  // The commit that fills the store ends the run; it need not wait for a reading.
  if (StopIfStoreFull(model_.store, model_.flags, model_.run, observer_)) {
    endSampling();
    return committed;
  }
  // Ticks keep to the run's grid: a late tick does not push the later ones back.
  const Millis due = runStartMs_ + static_cast<Millis>(ticksTaken_) * model_.run.intervalMs;
  timers_.armSampleTimer(static_cast<int>(std::clamp<Millis>(due - now, 0, model_.run.intervalMs)));
  return committed;
}

WatchdogOutcome MeterSession::watchdogTick(int giveUpAfterSilentTicks) {
  WatchdogOutcome outcome;
  if (closed_) return outcome;
  // Greeting a meter that never answered once more just before giving up is no use.
  if (giveUpAfterSilentTicks > 0 && !answered_ && LinkSilent(model_.flags) &&
      silentTicks_ + 1 >= giveUpAfterSilentTicks) {
    outcome.gaveUp = true;
    return outcome;
  }
  const bool wasGoing = RunGoing(phase());
  outcome.lost = WatchdogTick(model_, port_, observer_, &outcome.portError);
  if (outcome.lost) ++silentTicks_;
  if (wasGoing && !RunGoing(phase())) endSampling();
  timers_.armWatchdog(kWatchdogPeriodMs);
  return outcome;
}

void MeterSession::journalSyncDue(Millis now) {
  if (journal_ && !closed_) scheduleJournal(journal_->syncIfDue(now));
}

void MeterSession::scheduleJournal(int inMs) {
  // A clock set back must not put the sync off: it is due within a period anyway.
  if (inMs >= 0) timers_.armJournalSync(std::min(inMs, kJournalSyncPeriodMs));
  if (std::string why = journal_->takeFailure(); !why.empty()) observer_.runNotJournaled(why);
}

void MeterSession::endSampling() {
  timers_.armSampleTimer(-1);
  if (hold_.runEnded()) observer_.holdTestChanged(true);
}

void MeterSession::followHoldTest() {
  if (!hold_.going()) return;
  const bool ended = hold_.sampleCommitted(LiveRunRows(model_), model_.store.sampleCount - 1,
                                           model_.run.intervalSeconds());
  observer_.holdTestChanged(ended);
}

bool MeterSession::armHoldTest(const HoldCriteria& criteria, int holdSeconds) {
  if (closed_ || !RunGoing(phase()) || !hold_.arm(criteria, holdSeconds)) return false;
  observer_.holdTestChanged(false);
  return true;
}

void MeterSession::cancelHoldTest() {
  hold_.cancel();
  observer_.holdTestChanged(false);
}

RunOutcome MeterSession::run(SessionPrompts& prompts) {
  RunOutcome outcome;
  if (closed_) return outcome;
  bool givenUp = false;
  if (RunOnShow(phase(), model_.store.sampleCount)) {
    const SaveAnswer answer = prompts.askToSave(SaveQuestion::BeforeRun);
    // Escape leaves the run on show as it was, journal and all.
    if (answer == SaveAnswer::Cancel) return outcome;
    givenUp = answer == SaveAnswer::DontSave;
    // A Save that was cancelled or failed leaves the run on show: a new run would reset it.
    if (!givenUp) {
      if (!prompts.saveRun()) return outcome;
      afterSave();
    }
  }
  if (const std::optional<int> seconds = prompts.askInterval(RunDialogPreset(model_.run))) {
    // No gives the old run up once the new one is confirmed; cancelled here, the old
    // run stays on show and keeps its journal.
    if (givenUp && journal_) journal_->giveUp();
    ConfirmRun(model_.run, model_.statsBar, *seconds, observer_);
  }
  outcome.sent = true;
  outcome.portError = SendRun(port_, observer_);
  return outcome;
}

void MeterSession::stop() {
  if (closed_) return;
  Stop(model_.flags, model_.run, observer_);
  endSampling();
}

bool MeterSession::close(SessionPrompts& prompts) {
  if (closed_) return true;
  if (AsksToSaveOnClose(model_.store)) {
    const SaveAnswer answer = prompts.askToSave(SaveQuestion::BeforeClose);
    if (answer == SaveAnswer::Cancel) return false;
    // A Save that was cancelled or failed (and said so) keeps the program and its run.
    if (answer == SaveAnswer::Save) {
      if (!prompts.saveRun()) return false;
      afterSave();
    }
  }
  // The run on show was saved or given up, or holds too little for the question.
  leave(true);
  return true;
}

void MeterSession::finish(SessionPrompts& prompts) {
  if (closed_) return;
  if (RunGoing(phase())) stop();
  bool keepJournal = false;
  if (model_.store.sampleCount > 0) {
    keepJournal = !prompts.saveRun();
    if (!keepJournal) afterSave();
  }
  leave(!keepJournal);
}

void MeterSession::afterSave() {
  if (journal_) journal_->runSaved(model_);
}

// The close is certain: no timer may commit a sample or greet the meter again after
// the goodbye.
void MeterSession::leave(bool giveJournalUp) {
  closed_ = true;
  timers_.armSampleTimer(-1);
  timers_.armWatchdog(-1);
  timers_.armJournalSync(-1);
  if (journal_ && giveJournalUp) journal_->giveUp();
  goodbyeError_ = CloseSequencePortSteps(port_);
}

RecoveryStep MeterSession::recover(const UnsavedJournal& unsaved, RecoveryAnswer answer) {
  if (!journal_) return {};
  return AnswerRecovery(unsaved, answer, model_, *journal_, observer_);
}

}  // namespace pv
