// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/live_hold_test.h"

#include <cstdio>

namespace pv {

bool LiveHoldTest::arm(const HoldCriteria& criteria, int holdSeconds) {
  if (holdSeconds <= 0) return false;
  *this = LiveHoldTest{};
  criteria_ = criteria;
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
  outcome_ = AnalyseHold(rows, intervalSeconds, criteria_);
  sampled_ = true;
  if (elapsed_ < holdSeconds_) return false;
  stage_ = LiveHoldStage::Complete;
  return true;
}

bool LiveHoldTest::runEnded() {
  if (!going()) return false;
  // Armed but never started: there is nothing to judge, only that it did not run.
  stage_ = LiveHoldStage::NotComplete;
  // What it saw may have held, but a test cut short proves nothing: it does not pass.
  if (sampled_ && outcome_.error == HoldError::None) MarkNotComplete(outcome_.result, elapsed_, holdSeconds_);
  return true;
}

HoldOutcome LiveHoldTest::outcomeSoFar() const {
  HoldOutcome outcome = outcome_;
  if (stage_ == LiveHoldStage::Running && outcome.error == HoldError::None)
    MarkNotComplete(outcome.result, elapsed_, holdSeconds_);
  return outcome;
}

void MarkNotComplete(HoldResult& result, int elapsedSeconds, int holdSeconds) {
  result.passed = false;
  result.reasons.push_back("not complete: the test ended after " + FormatDuration(elapsedSeconds) + " of " +
                           FormatDuration(holdSeconds));
}

void LiveHoldTest::runReplaced() {
  if (finished()) cancel();
}

std::string FormatDuration(int seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

}  // namespace pv
