// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How core operations tell the widgets what changed. Core never calls Qt; the
// windowed program implements this, tests record it, the command-line tool ignores it.
#include <string>

namespace pv {

enum class PanelField { Reading, Unit, UnitMarks, HoldWord, DifWord, RecWord };

// Why a run ended without the user's Stop.
enum class RunEnd { LinkLost, StoreFull };

class ModelObserver {
 public:
  virtual ~ModelObserver() = default;
  // One field of the front panel's display changed and must show at once.
  virtual void panelFieldChanged(PanelField) {}
  // The panel's key states or texts changed (the data transfer to its controls).
  virtual void panelChanged() {}
  // The statistics bar's texts changed.
  virtual void statisticsChanged() {}
  // The cursor bar's texts changed.
  virtual void cursorBarChanged() {}
  // The run or the port changed: the chart repaints and the commands' enabling follows.
  virtual void chartAndCommandsChanged() {}
  // Invalidate the chart; erase = true asks for a fresh paint after compression.
  virtual void invalidateChart(bool /*erase*/) {}
  // Menu and toolbar enabling may have changed.
  virtual void commandsChanged() {}
  // A run ended by itself; its samples are held and can be saved and exported.
  virtual void runEndedByItself(RunEnd) {}
  // A run started on its first reading: the store is empty and the start time set.
  virtual void runStarted() {}
  // The sample timer committed a sample of the running run.
  virtual void sampleCommitted() {}
  // The run's journal stopped working (told once per failure); the run goes on.
  virtual void runNotJournaled(const std::string& /*why*/) {}
  // The live hold test was armed, took a sample or was taken off; ended once it
  // finished (its hold period passed, or the run ended before).
  virtual void holdTestChanged(bool /*ended*/) {}
};

// An observer that ignores everything.
inline ModelObserver& NullObserver() {
  static ModelObserver none;
  return none;
}

}  // namespace pv
