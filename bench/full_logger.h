// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A full data-logger file (17280 records, a slow sine in psi with an error record
// every 500) for the logger graph benchmarks, and the 99 zoom levels of the graph.
#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "logger/logger_graph.h"

namespace pv::bench {

constexpr int kGraphClientW = 946;  // the window's 473 x 299 dialog units
constexpr int kGraphClientH = 598;

inline std::string WriteFullLoggerFile() {
  auto run = std::make_unique<AppModel>();
  run->store.sampleCount = kStoreCapacity;
  run->run.intervalMs = 1000;
  for (int i = 0; i < kStoreCapacity; ++i) {
    const bool error = i % 500 == 250;
    run->store.values[i] = error ? kErrorHigh : static_cast<float>(4.0 * std::sin(i * 0.01));
    run->store.fullScaleAt[i] = kUnits[kUnitPsi].fullScale;
    run->store.unitAt[i] = kUnitPsi;
  }
  const auto bytes = EncodeDataLoggerFile(*run);
  const std::string path = "/tmp/bench_logger_full.KvtDat";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

// 99 slight zooms, each a drag almost across the plot, laid out as the window does
// before it draws. Returns whether every level was accepted.
inline bool ZoomGraphTo99(AppModel& m) {
  LayoutLoggerGraph(m, kGraphClientW, kGraphClientH);
  for (int level = 0; level < kMaxZoomDepth; ++level) {
    LoggerLeftPress(m, {77, 61});
    LoggerMouseMove(m, {884, 536});
    LoggerLeftRelease(m, {884, 536});
    LayoutLoggerGraph(m, kGraphClientW, kGraphClientH);
  }
  return m.loggerGraph.zoomLevel == kMaxZoomDepth;
}

}  // namespace pv::bench
