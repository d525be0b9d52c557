// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A hold test armed on a going run: it starts at the next sample, follows the run
// sample by sample with the result it would give if it ended now, and ends by itself
// once its hold period has passed. The run goes on after it; a run that ends first
// leaves the test not complete, with the result of what it saw.
#include "files/sample_rows.h"
#include "holdtest/hold_test.h"
#include "holdtest/hold_text.h"

namespace pv {

enum class LiveHoldStage {
  Off,          // no test armed
  Armed,        // waits for the run's next sample
  Running,      // follows the run
  Complete,     // the hold period passed: the result stands
  NotComplete,  // the run ended before the hold period had passed
};

class LiveHoldTest {
 public:
  // Arms a test of holdSeconds (> 0) with these criteria (their window is the test's
  // own and is ignored). Replaces any test before it.
  bool arm(const HoldCriteria& criteria, int holdSeconds);
  // The user took the test off; its result goes with it.
  void cancel() { *this = LiveHoldTest{}; }

  // The run committed sample `index` of rows. Returns true when it ended the test.
  bool sampleCommitted(const SampleRows& rows, int index, int intervalSeconds);
  // The run stopped sampling (Stop, a lost link, a full store). Returns true when a
  // test was going: it is now not complete.
  bool runEnded();
  // A new run replaces the samples a finished test was about.
  void runReplaced();

  LiveHoldStage stage() const { return stage_; }
  bool going() const { return stage_ == LiveHoldStage::Armed || stage_ == LiveHoldStage::Running; }
  bool finished() const { return stage_ == LiveHoldStage::Complete || stage_ == LiveHoldStage::NotComplete; }
  int holdSeconds() const { return holdSeconds_; }
  int elapsedSeconds() const { return elapsed_; }
  int remainingSeconds() const { return holdSeconds_ > elapsed_ ? holdSeconds_ - elapsed_ : 0; }
  // The criteria with the test's window as it stands.
  const HoldCriteria& criteria() const { return criteria_; }
  // The result over the test's samples so far, state Going while it runs (not passed
  // yet); once finished, what AnalyseHold gives for the test's window and criteria, as
  // any reader of a kept record recomputes it. With one sample so far it is no result
  // but "waiting for a second sample". Meaningful once a sample was taken.
  const HoldOutcome& outcome() const { return outcome_; }
  bool hasOutcome() const { return sampled_; }
  // The outcome as a record may keep it now.
  HoldOutcome outcomeSoFar() const { return outcome_; }

 private:
  LiveHoldStage stage_ = LiveHoldStage::Off;
  HoldCriteria criteria_;
  int holdSeconds_ = 0;
  int elapsed_ = 0;
  bool sampled_ = false;
  HoldOutcome judged_;   // AnalyseHold's, with the hold period among the criteria
  HoldOutcome outcome_;  // as shown: judged_, or judged_ as going while the test runs
};

}  // namespace pv
