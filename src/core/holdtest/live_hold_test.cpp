// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/live_hold_test.h"


namespace pv {

namespace {

// A running test's window is short of its period by design: it is going, not ended early.
HoldOutcome AsGoing(HoldOutcome outcome) {
  if (outcome.error != HoldError::None || outcome.result.state != HoldState::EndedEarly) return outcome;
  HoldResult& r = outcome.result;
  r.state = HoldState::Going;
  if (!r.reasons.empty() && r.reasons.back().starts_with("not complete")) r.reasons.pop_back();
  r.reasons.push_back("not complete yet: " + FormatDuration(static_cast<int>(r.seconds)) + " of " +
                      FormatDuration(r.holdSeconds) + " so far");
  r.passed = false;
  return outcome;
}

}  // namespace

bool LiveHoldTest::arm(const HoldCriteria& criteria, int holdSeconds) {
  if (holdSeconds <= 0) return false;
  *this = LiveHoldTest{};
  criteria_ = criteria;
  criteria_.holdSeconds = holdSeconds;
  holdSeconds_ = holdSeconds;
  stage_ = LiveHoldStage::Armed;
  return true;
}

bool LiveHoldTest::sampleCommitted(const SampleRows& rows, int index, int intervalSeconds) {
  if (!going() || index < 0 || index >= rows.size()) return false;
  if (stage_ == LiveHoldStage::Armed) {
    criteria_.firstSample = index;
    stage_ = LiveHoldStage::Running;
  }
  criteria_.lastSample = index;
  elapsed_ = (index - criteria_.firstSample) * intervalSeconds;
  judged_ = AnalyseHold(rows, intervalSeconds, criteria_);
  sampled_ = true;
  if (judged_.error == HoldError::TooFewSamples) judged_.message = "waiting for a second sample";
  if (elapsed_ < holdSeconds_) {
    outcome_ = AsGoing(judged_);
    return false;
  }
  outcome_ = judged_;
  stage_ = LiveHoldStage::Complete;
  return true;
}

bool LiveHoldTest::runEnded() {
  if (!going()) return false;
  // Armed but never started: there is nothing to judge, only that it did not run. Once
  // started, its window is shorter than its period: AnalyseHold says it ended early.
  stage_ = LiveHoldStage::NotComplete;
  outcome_ = judged_;
  if (judged_.error == HoldError::TooFewSamples)
    outcome_.message = "the run ended after the test's first sample: a hold test needs two";
  return true;
}

void LiveHoldTest::runReplaced() {
  if (finished()) cancel();
}

}  // namespace pv
