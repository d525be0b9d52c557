// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words a hold test's choices are written as in its JSON, shared by the writer and
// the reader.
#include <string_view>

namespace pv::hold_json {

inline constexpr std::string_view kPassed = "passed";
inline constexpr std::string_view kNotPassed = "not passed";
inline constexpr std::string_view kPercent = "percent";
inline constexpr std::string_view kAmount = "amount";

}  // namespace pv::hold_json
