// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result card of a hold test as texts: the verdict and its reasons, the pressures
// with the start reading's decimals, the change with its percentage and direction, the
// rate and the checkpoints. The windows lay them out; the texts are decided here.
#include <string>
#include <vector>

#include "holdtest/hold_test.h"

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
  std::vector<std::string> reasons;
  std::string arrow;              // "↓" falling, "↑" rising, "→" stable
  std::vector<HoldCardRow> rows;  // window, start, end, change, rate, allowed, minimum
  std::vector<HoldCheckpointText> checkpoints;
};

HoldCard HoldCardOf(const HoldCriteria& criteria, const HoldResult& result);

// A number with `decimals` decimals and its sign always shown: "+0.012", "-1.250".
std::string SignedFixed(double value, int decimals);

}  // namespace pv
