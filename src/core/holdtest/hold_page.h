// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The printed "Pressure Test Record": the pages that say what was tested, how the
// pressure went through the test's window and whether it held, with lines for the
// operator's and the witness's signatures. One page as a rule; a record whose texts do
// not fit goes on over more, each marked "Page n of m", for nothing typed is ever cut.
// Built as display lists in the printed page's units (0.01 inch, origin at the
// bottom-right corner of the printable area, y up), for the same paper as the
// "Pressure Graph" page.
#include <ctime>
#include <string>
#include <vector>

#include "display_list.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"

namespace pv {

inline constexpr const char* kHoldPageTitle = "Pressure Test Record";

// Everything on a page stays inside this rectangle, which the printable area of the
// A4 sheet the pages are printed on holds with room to spare.
inline constexpr int kHoldPageLeft = -795;
inline constexpr int kHoldPageRight = -8;
inline constexpr int kHoldPageBottom = 8;
inline constexpr int kHoldPageTop = 1122;

// What the pages are made from. rows are the run's samples the test was taken over (the
// chart draws them); runName names the run on the pages (a file name), empty for none.
struct HoldPageInput {
  const HoldTestFile& test;
  const SampleRows& rows;
  std::string runName;
};

// The pages as printed at `now` (local time), first to last; never none.
std::vector<DisplayList> BuildHoldRecordPages(const HoldPageInput& input, std::time_t now);

// "2026-12-09 (UTC+01:00)", "2026-12-09 to 2026-12-10 (UTC+01:00)", or "not recorded"
// when the run's date is not known: the date of a test as the page and the sheet give it.
std::string HoldTestDateText(const HoldResult& result);

}  // namespace pv
