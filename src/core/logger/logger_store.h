// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logger record store: a saved data-logger file loaded for the logger graph,
// held beside the real-time sample store with the same capacity.
#include <cstdint>
#include <string>
#include <vector>

#include "chart/sample_store.h"

namespace pv {

struct LoggerStore {
  int recordCount = 0;
  std::string header;  // kept, never displayed
  std::string startText;   // "%H:%M:%S" as the saver wrote it
  std::string endText;
  std::string unitName;  // unit name of the last record
  int startHour = 0, startMinute = 0, startSecond = 0;
  int intervalMs = 0;

  // Allocated once at full capacity; records beyond recordCount are never read.
  std::vector<float> values = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<float> fullScaleAt = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<SampleText> texts = std::vector<SampleText>(kStoreCapacity, SampleText{});
  std::vector<std::uint8_t> unitAt = std::vector<std::uint8_t>(kStoreCapacity, 0);

  // Set once a file has been loaded completely; it stays so the last file stays on show.
  bool loaded = false;
};

}  // namespace pv
