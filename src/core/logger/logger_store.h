#pragma once
// The logger record store: a saved data-logger file loaded for the logger graph,
// held beside the real-time sample store with the same capacity.
#include <cstdint>
#include <string>
#include <vector>

#include "chart/sample_store.h"

namespace pv {

struct LoggerStore {
  int m_nLogCount = 0;
  std::string m_strLogHeader;  // kept, never displayed
  std::string m_strLogStart;   // "%H:%M:%S" as the saver wrote it
  std::string m_strLogEnd;
  std::string m_strLogUnitName;  // unit name of the last record
  int m_nLogStartHour = 0, m_nLogStartMin = 0, m_nLogStartSec = 0;
  int m_nLogIntervalMs = 0;

  // Allocated once at full capacity; records beyond m_nLogCount are never read.
  std::vector<float> m_fLogValue = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<float> m_fLogFullScale = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<SampleText> m_szLogText = std::vector<SampleText>(kStoreCapacity, SampleText{});
  std::vector<std::uint8_t> m_nLogUnit = std::vector<std::uint8_t>(kStoreCapacity, 0);

  // 1 once a file has been loaded completely; it stays 1 so the last file stays on show.
  int m_bLogLoaded = 0;
};

}  // namespace pv
