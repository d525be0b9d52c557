// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One meter session: the run's life from greeting the meter to the goodbye, with one
// method per event. The ordering rules between events live here and nowhere else:
// the run starts on its first reading and samples on a whole-second grid from there;
// Run asks about the run on show, saves it, and gives its journal up only once the new
// interval is confirmed; the goodbye goes out only once the close is certain. Time
// comes in as an argument; the driver holds the timers and the dialogs.
#include <string>

#include "app_model.h"
#include "files/run_journal.h"
#include "files/run_recovery.h"
#include "holdtest/live_hold_test.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "model_observer.h"
#include "session/session_interfaces.h"

namespace pv {

struct RunOutcome {
  bool sent = false;      // RUN went to the meter; false when the user kept the run on show
  std::string portError;  // the port's reason when RUN could not be sent
};

struct WatchdogOutcome {
  bool lost = false;      // nothing arrived since the last tick: the link was declared lost
  bool gaveUp = false;    // the meter never answered within the ticks allowed
  std::string portError;  // the reopen's error
};

class MeterSession {
 public:
  // journal, when given, keeps each run until it is saved or given up.
  MeterSession(AppModel& model, SerialPort& port, ModelObserver& observer, SessionTimers& timers,
               RunJournal* journal = nullptr);

  // Start-up: the port set up and CONNECT three times. Returns the port's error text.
  std::string greet();
  // The watchdog's first tick, 3 s from now (the window waits for its first show).
  void watchLink();

  // The port's data-received notification.
  Decoded bytesArrived(Millis now);
  // The sample timer: commits the reading current now. True when a sample was taken.
  bool sampleTick(Millis now);
  // The link watchdog. giveUpAfterSilentTicks > 0 gives up on a meter that never
  // answered at that many silent ticks, without greeting it once more.
  WatchdogOutcome watchdogTick(int giveUpAfterSilentTicks = 0);
  // The journal's sync timer.
  void journalSyncDue(Millis now);

  // Run: the save question when a run is on show, Save, the sample-rate dialog, RUN.
  RunOutcome run(SessionPrompts& prompts);
  void stop();
  // The close sequence: the save question when the run holds two samples or more,
  // Save, then the goodbye (EXIT, DISCONNECT). False when the user kept the program.
  bool close(SessionPrompts& prompts);
  // The end of an unattended run: Stop, Save without asking, the goodbye. A Save that
  // failed keeps the journal, the only copy of the run.
  void finish(SessionPrompts& prompts);
  // An unsaved run's journal answered at start-up.
  RecoveryStep recover(const UnsavedJournal& unsaved, RecoveryAnswer answer);

  // A hold test on the going run, from its next sample for holdSeconds. False (and
  // nothing armed) when no run is going or the period is not positive.
  bool armHoldTest(const HoldCriteria& criteria, int holdSeconds);
  // Takes the hold test off, going or finished.
  void cancelHoldTest();
  const LiveHoldTest& holdTest() const { return hold_; }

  RunPhase phase() const { return model_.run.phase; }
  bool closed() const { return closed_; }
  // A reading or error frame arrived since start-up.
  bool answered() const { return answered_; }
  // The port error of the goodbye, once closed.
  const std::string& goodbyeError() const { return goodbyeError_; }

 private:
  void startRun(Millis now);
  void afterSave();
  void leave(bool giveJournalUp);
  void scheduleJournal(int inMs);
  void endSampling();
  // The hold test takes the sample just committed.
  void followHoldTest();

  AppModel& model_;
  SerialPort& port_;
  ModelObserver& observer_;
  SessionTimers& timers_;
  RunJournal* journal_;
  Millis runStartMs_ = 0;  // when sample 0 is due
  int ticksTaken_ = 0;     // sample ticks since the run's start
  bool answered_ = false;  // a frame arrived since start-up
  int silentTicks_ = 0;
  bool closed_ = false;
  std::string goodbyeError_;
  LiveHoldTest hold_;
};

}  // namespace pv
