// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The printed "Pressure Test Record": one page that says what was tested, how the
// pressure went through the test's window and whether it held, with lines for the
// operator's and the witness's signatures. Built as a display list in the printed
// page's units (0.01 inch, origin at the bottom-right corner of the printable area,
// y up), for the same paper as the "Pressure Graph" page.
#include <ctime>
#include <string>

#include "display_list.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"

namespace pv {

inline constexpr const char* kHoldPageTitle = "Pressure Test Record";

// Everything on the page stays inside this rectangle, which the printable area of the
// A4 sheet the pages are printed on holds with room to spare.
inline constexpr int kHoldPageLeft = -795;
inline constexpr int kHoldPageRight = -8;
inline constexpr int kHoldPageBottom = 8;
inline constexpr int kHoldPageTop = 1122;

// What the page is made from. rows are the run's samples the test was taken over (the
// chart draws them); runName names the run on the page (a file name), empty for none.
struct HoldPageInput {
  const HoldTestFile& test;
  const SampleRows& rows;
  std::string runName;
};

// The page as printed at `now` (local time).
DisplayList BuildHoldRecordPage(const HoldPageInput& input, std::time_t now);

// The page's texts for the result, also for other places that show the result.
std::string HoldVerdictText(const HoldResult& result);               // "PASSED" / "NOT PASSED"
std::string HoldAmountText(const HoldResult& result, double value);  // "99.380 psi"
std::string HoldChangeText(const HoldResult& result);                // "-0.620 psi (-0.62 %)"
std::string HoldAllowedText(const HoldResult& result);               // "0.50 % of the start (0.500 psi)"

}  // namespace pv
