// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test: did a pressurised system hold its pressure over a window of a run?
// One function over a run's samples decides it, for the live run, a saved file and the
// command-line tool alike.
#include <optional>
#include <string>
#include <vector>

#include "files/sample_rows.h"

namespace pv {

enum class AllowedKind { Percent, Amount };

// What the test asks. Sample indices are inclusive; lastSample -1 means the run's last.
struct HoldCriteria {
  int firstSample = 0;
  int lastSample = -1;
  AllowedKind allowedKind = AllowedKind::Percent;
  double allowed = 0.0;            // percent of the start pressure, or an amount in the unit
  std::optional<double> minimum;   // in the unit of the window's first sample
  int checkpoints = 4;             // 2 to 8
  // A timed test's hold period: a window shorter than it has not run its course and does
  // not pass. 0 judges the window as it is (cursors, a span typed in, the whole run).
  int holdSeconds = 0;
};

inline constexpr int kMinCheckpoints = 2;
inline constexpr int kMaxCheckpoints = 8;
inline constexpr int kDefaultCheckpoints = 4;

enum class HoldDirection { Falling, Rising, Stable };

struct HoldCheckpoint {
  int sample = -1;          // the last valid sample at or before the step's end; -1 none
  std::string time;         // "%H:%M:%S" of the step's end
  double seconds = 0.0;     // from the window's start to the step's end
  double value = 0.0;
  double change = 0.0;      // over this step
  bool steeper = false;     // advisory: steeper than the step before by a count or more
};

// How far a test got: a window judged as it is is complete; a timed test is complete once
// its hold period has passed, ended early when its window is shorter, and going while a
// live test still runs.
enum class HoldState { Complete, EndedEarly, Going };

struct HoldResult {
  int firstSample = 0, lastSample = 0;     // the window
  // The first and last valid samples in it; -1 when it holds none: start, end, change,
  // rate and deviation then have no reading (shown "-", null in JSON).
  int startSample = 0, endSample = 0;
  std::string startTime, endTime;          // "%H:%M:%S" of the window's ends
  double seconds = 0.0;                    // (last - first) x interval
  int samples = 0;                         // in the window
  int errors = 0;                          // error samples in the window
  std::string unit;                        // of the start reading (an error sample has no unit)
  int decimals = 0;                        // of the start reading, as the meter showed it
  double start = 0.0, end = 0.0, change = 0.0;
  std::optional<double> changePercent;     // none when start <= 0
  double count = 0.0;                      // one count of the start reading
  AllowedKind allowedKind = AllowedKind::Percent;  // how the allowed change was asked
  double allowedAmount = 0.0;              // the allowed change in the unit
  std::optional<double> allowedPercent;    // and as a percentage of the start; none when start <= 0
  std::optional<double> minimum;           // as asked
  HoldDirection direction = HoldDirection::Stable;
  double ratePerMinute = 0.0;
  std::vector<HoldCheckpoint> checkpoints;
  HoldState state = HoldState::Complete;
  int holdSeconds = 0;                     // the hold period asked; 0 for a window judged as it is
  // The valid reading farthest from the start (the first one when several are), as a
  // signed difference from the start; -1 / empty when there is none.
  double deviation = 0.0;
  int deviationSample = -1;
  std::string deviationTime;
  // ISO 8601 with the UTC offset ("2026-12-10T14:03:00+01:00") of the window's ends;
  // empty when the run's date is not known.
  std::string startDateTime, endDateTime;
  bool passed = false;
  std::vector<std::string> reasons;        // every reason it did not pass
};

enum class HoldError {
  None,
  EmptyRun,           // no samples at all
  WindowOutsideRun,   // first/last outside the run, or last before first
  TooFewSamples,      // a window of one sample shows no change
  PercentNeedsPositiveStart,
  NoCriterion,        // allowed change not given or negative
  BadCheckpoints,     // outside 2..8
};

struct HoldOutcome {
  HoldError error = HoldError::None;
  std::string message;  // a sentence for a person when error != None
  HoldResult result;    // meaningful when error == None
};

// Analyses the window of rows (sample i taken at i x intervalSeconds after the first).
// A window needs two samples; one with fewer than two valid readings among them does not
// pass, with the reason. A window shorter than criteria.holdSeconds has ended early and
// does not pass either.
HoldOutcome AnalyseHold(const SampleRows& rows, int intervalSeconds, const HoldCriteria& criteria);

// "falling", "rising", "stable".
const char* DirectionName(HoldDirection direction);

}  // namespace pv
