// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows of a loaded file that the Graph window's hold test can judge besides the
// whole file: the records the zoomed view shows, and a span typed as two times.
#include <optional>
#include <string>
#include <string_view>

#include "app_model.h"

namespace pv {

// First and last record, inclusive.
struct RecordSpan {
  int first = 0;
  int last = 0;
  bool operator==(const RecordSpan&) const = default;
};

// The records whose points lie across the plot at the zoom level shown, as the last
// layout placed them; none in the full view or when no record is in view.
std::optional<RecordSpan> LoggerZoomedSpan(const AppModel& model);

// From the first record at or after `from` to the last at or before `to` (the last
// record when `to` is blank). A time is a time of day ("10:02:30", taken at its first
// occurrence from the start on, so a run across midnight reads as the clock showed it)
// or seconds from the start ("90"). None with the reason in *problem otherwise.
std::optional<RecordSpan> LoggerSpanOfTimes(const LoggerStore& store, std::string_view from,
                                            std::string_view to, std::string* problem);

}  // namespace pv
