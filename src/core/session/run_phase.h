// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the acquisition stands: one value instead of a set of flags. What the menus
// and bars offer follows from it and from the samples on show.

namespace pv {

enum class RunPhase {
  Idle,        // no run going and no reading since start-up, Stop, a run's end or a lost link
  Monitoring,  // the meter answers and no run goes: Run is offered
  Requested,   // Run confirmed; the first reading starts the run
  Running,     // the sample timer commits the meter's readings
};

// A run is going from Run's confirmation until Stop, a full store or a lost link.
inline bool RunGoing(RunPhase phase) {
  return phase == RunPhase::Requested || phase == RunPhase::Running;
}

// Stop is offered exactly while a run is going.
inline bool CanStop(RunPhase phase) {
  return RunGoing(phase);
}

// Run (and PowerOff) are offered while the meter answers and nothing runs.
inline bool CanRun(RunPhase phase) {
  return phase == RunPhase::Monitoring;
}

// A run is on show when it holds a sample and no run is going that will replace it:
// then it can be exported. A run stopped before its first sample is no run.
inline bool RunOnShow(RunPhase phase, int samples) {
  return !RunGoing(phase) && samples > 0;
}

}  // namespace pv
