// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result card of a hold test as texts: the verdict, the test's state and the
// reasons, the pressures, the change with its percentage and direction, the largest
// deviation from the start, the rate and the checkpoints, all in hold_text.h's number
// texts. The windows lay them out; the texts are decided here.
#include <string>
#include <vector>

#include "holdtest/hold_test.h"
#include "holdtest/hold_text.h"

namespace pv {

struct HoldCardRow {
  std::string label;
  std::string value;
};

struct HoldCheckpointText {
  std::string time, value, change;
  bool steeper = false;
};

struct HoldCard {
  std::string verdict;  // "PASSED" or "NOT PASSED"
  bool passed = false;
  std::string state;    // "complete", "ended early at 00:00:07 of 00:10:00", "going, ..."
  std::vector<std::string> reasons;
  std::string arrow;              // "↓" falling, "↑" rising, "→" stable; none without a reading
  // window, state, start, end, change, largest deviation, rate, allowed, minimum
  std::vector<HoldCardRow> rows;
  std::vector<HoldCheckpointText> checkpoints;
};

// The criteria are taken from the result, which carries them; the parameter stays for
// the windows that pass what they asked.
HoldCard HoldCardOf(const HoldCriteria& criteria, const HoldResult& result);

}  // namespace pv
