// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The state the subsystems share, composed from the structs of each owner. One
// AppModel is one running program; tests start from a fresh one.
#include <memory>

#include "chart/chart_state.h"
#include "chart/sample_store.h"
#include "files/file_folders.h"
#include "stats/rec_statistics.h"
#include "program_flags.h"
#include "logger/logger_graph_state.h"
#include "logger/logger_store.h"
#include "logger/logger_view_state.h"
#include "panel/panel_state.h"

namespace pv {

// State private to reading ingestion, alive from start to exit.
struct IngestState {
  float lastReading = 500.0f;
  bool wasRelative = false;
  bool heldValid = false;
  bool heldFrozen = false;
  float fullScaleHistory[2] = {0.0f, 0.0f};
  int fullScaleSlot = 0;
  // Frames taken in since start, readings and error frames alike: what a long session
  // is checked against the meter's count with.
  long long framesIngested = 0;
};

struct AppModel {
  ProgramFlags flags;
  SampleStore store;
  RunState run;
  PanelState panel;
  RecStatistics stats;
  StatisticsBarTexts statsBar;
  IngestState ingest;
  ChartState chart;
  CursorBarTexts cursorBar;
  LoggerStore logger;
  LoggerViewState loggerView;
  LoggerGraphState loggerGraph;
  FileFolders folders;
};

}  // namespace pv
