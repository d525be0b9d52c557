// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words a hold test's choices are written as in its JSON, and the bounds a record
// must keep, shared by the writer and the reader.
#include <cstddef>
#include <string_view>

#include "holdtest/hold_test.h"

namespace pv::hold_json {

inline constexpr std::string_view kPassed = "passed";
inline constexpr std::string_view kNotPassed = "not passed";
inline constexpr std::string_view kPercent = "percent";
inline constexpr std::string_view kAmount = "amount";
inline constexpr std::string_view kComplete = "complete";
inline constexpr std::string_view kEndedEarly = "ended early";
inline constexpr std::string_view kGoing = "going";

// A test's state as its JSON writes it.
constexpr std::string_view StateName(HoldState state) {
  return state == HoldState::EndedEarly ? kEndedEarly : state == HoldState::Going ? kGoing : kComplete;
}

// The keys that are not part of a revision's canonical form: its own fingerprint, and
// the earlier revisions, which carry theirs.
inline constexpr const char* kFingerprintKey = "fingerprint";
inline constexpr const char* kRevisionsKey = "revisions";

// No pressure, time or count of a record comes near this; a number beyond it is damage
// or a forgery, and would reach a spreadsheet cell as an infinity.
inline constexpr double kLargestNumber = 1e9;

}  // namespace pv::hold_json
