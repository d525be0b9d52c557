// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a chart shows of a hold test: lines at the window's start and end, the band of
// the allowed change around the start pressure, and the minimum test pressure. The
// real-time chart and the Graph window draw them over their trace.
#include <optional>

#include "app_model.h"
#include "chart/chart_geometry.h"
#include "display_list.h"
#include "holdtest/hold_test.h"

namespace pv {

inline constexpr Rgb kHoldWindowColour{0, 190, 0};
inline constexpr Rgb kHoldBandColour{255, 150, 0};
inline constexpr Rgb kHoldMinimumColour{220, 0, 220};

struct HoldMarks {
  int firstSample = 0;
  int lastSample = 0;
  // Pressures in the unit of the window's first sample.
  std::optional<double> bandLow, bandHigh;
  std::optional<double> minimum;
};

// The marks of a test's outcome; the band and the minimum only where they are known.
HoldMarks HoldMarksOf(const HoldCriteria& criteria, const HoldOutcome& outcome);

// On the real-time chart's plot surface (its own coordinates). The band and the
// minimum follow the live scale; a zoomed chart shows the window's ends only.
void DrawHoldMarksOnChart(const AppModel& model, const PlotRect& plot, const HoldMarks& marks,
                          DisplayList& out);

// On the Graph window's full view, in its client coordinates; a zoom level shows none.
void DrawHoldMarksOnLoggerGraph(const AppModel& model, const HoldMarks& marks, DisplayList& out);

}  // namespace pv
