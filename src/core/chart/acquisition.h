// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The acquisition run: the sample timer's commit, the start of a run on the first
// reading after Run, the full store, and the Run and Stop commands.
#include <ctime>
#include <string>

#include "app_model.h"
#include "files/journal_format.h"
#include "link/serial_port.h"
#include "model_observer.h"

namespace pv {

// Tick of the sample timer: commits the open slot when a new reading arrived and the
// run is running. rubberBandActive: a rubber-band drag is in progress on the chart, which
// must not be repainted under it. Returns whether a sample was committed.
bool CommitTick(AppModel& model, bool rubberBandActive, ModelObserver& observer);

// The first reading after a confirmed Run: the store restarts empty with its sample 0
// due at start, the texts that described the previous run are emptied and the chart
// returns to the live display with the cursors hidden.
void StartRun(AppModel& model, std::time_t start, ModelObserver& observer);

// A store holding kMaxSamples ends a running run by itself; Stop becomes unavailable.
// Returns whether the store is full. A run that was running when it filled is
// reported to the observer and can be exported, as after Stop.
bool StopIfStoreFull(const SampleStore& store, ProgramFlags& flags, RunState& run, ModelObserver& observer);

// The status line that tells why a run ended by itself: at is when it ended,
// samples how many the store holds.
std::string RunEndedText(RunEnd cause, std::time_t at, int samples);

// Value the sample-rate dialog opens with: the current interval in seconds, or 1.
int RunDialogPreset(const RunState& run);

// Run, after the user confirmed the sample-rate dialog with enteredSeconds (values
// below 1 count as 1).
void ConfirmRun(RunState& run, StatisticsBarTexts& statsBar, int enteredSeconds, ModelObserver& observer);

// Run, after the dialog whether confirmed or not: RUN three times. Returns the port's
// error text.
std::string SendRun(SerialPort& port, ModelObserver& observer);

// Stop: the run ends, nothing is sent to the meter; its samples can be exported.
void Stop(ProgramFlags& flags, RunState& run, ModelObserver& observer);

// A run brought back from its journal, shown as after Stop: the samples, the start
// time and interval, the statistics bar's texts, the chart back on its live display.
// The meter's own state (unit, link, panel) stays as it is.
void RestoreRun(AppModel& model, const JournalHeader& header, SampleStore&& store, int samples,
                ModelObserver& observer);

}  // namespace pv
