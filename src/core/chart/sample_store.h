#pragma once
// The real-time sample store: one acquisition run of up to 17278 committed samples,
// with the value, the received text and the unit in force for each, and the
// scalars of the chart view that describe the run.
#include <array>
#include <ctime>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

inline constexpr int kStoreCapacity = 17280;  // slots of every per-sample array
inline constexpr int kMaxSamples = 17278;     // a run stops when it holds this many

using SampleText = std::array<char, 6>;  // sign and the five received characters

// The document's half of the store.
struct DocumentStore {
  std::vector<float> m_fValue = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<SampleText> m_szText = std::vector<SampleText>(kStoreCapacity, SampleText{});
  int m_nSample = 0;  // the document's copy, refreshed at every receive notification

  DocumentStore() { m_fValue[0] = -500.0f; }
};

// The chart view's half: per-sample unit bookkeeping and the run's scalars.
struct ViewStore {
  std::vector<float> m_fFullScaleAt = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<float> m_fToPsiAt = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<std::uint8_t> m_nUnitAt = std::vector<std::uint8_t>(kStoreCapacity, 0);
  // Unit names always come from the unit table, so a view into it allocates nothing.
  std::vector<std::string_view> m_strUnitAt = std::vector<std::string_view>(kStoreCapacity);
  std::vector<std::uint8_t> m_bRelativeAt = std::vector<std::uint8_t>(kStoreCapacity, 0);

  int m_nSample = 0;  // committed samples = index of the open slot
  bool m_bNewSample = false;
  std::time_t m_timeStart = 0;
  int m_nSampleIntervalMs = 0;
  bool m_bStartTimerPending = false;
  int m_nStartHour = 0, m_nStartMin = 0, m_nStartSec = 0;
  std::string m_strStartTime;
  std::string m_strEndTime;

  int m_nUnit = 0;
  std::string m_strUnitName;
  float m_fFullScale = 0.0f;
  int m_nResolution = 1000;

  bool m_bMonitoring = false;
  bool m_bCanStop = false;
  int m_nRangeError = 0;  // 0 none, 1 high, 2 low
  std::string m_strHeldReading;

  // Whole seconds between samples, as the time axis and the files use it.
  int intervalSeconds() const { return m_nSampleIntervalMs / 1000; }
  // Calendar time of sample i.
  std::time_t sampleTime(int i) const {
    return m_timeStart + static_cast<std::time_t>(i) * intervalSeconds();
  }
};

}  // namespace pv
