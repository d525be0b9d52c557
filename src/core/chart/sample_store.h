// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real-time sample store: one acquisition run of up to 17278 committed samples,
// with the value, the received text and the unit in force for each, and the
// scalars that describe the run.
#include <array>
#include <climits>
#include <ctime>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/run_phase.h"

namespace pv {

inline constexpr int kStoreCapacity = 17280;  // slots of every per-sample array
inline constexpr int kMaxSamples = 17278;     // a run stops when it holds this many

using SampleText = std::array<char, 6>;  // sign and the five received characters

// The samples of the run: per-sample value, received text and the unit in force.
struct SampleStore {
  std::vector<float> values = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<SampleText> texts = std::vector<SampleText>(kStoreCapacity, SampleText{});
  std::vector<float> fullScaleAt = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<float> toPsiAt = std::vector<float>(kStoreCapacity, 0.0f);
  std::vector<std::uint8_t> unitAt = std::vector<std::uint8_t>(kStoreCapacity, 0);
  // Unit names always come from the unit table, so a view into it allocates nothing.
  std::vector<std::string_view> unitNameAt = std::vector<std::string_view>(kStoreCapacity);
  std::vector<std::uint8_t> relativeAt = std::vector<std::uint8_t>(kStoreCapacity, 0);
  int sampleCount = 0;  // committed samples = index of the open slot

  SampleStore() { values[0] = -500.0f; }
};

// A range error the meter reports: the pressure above or below what it measures.
enum class RangeError { None, High, Low };

// The longest sample interval: in milliseconds it must fit the run's 32-bit field.
inline constexpr int kMaxIntervalSeconds = INT_MAX / 1000;

// The run's scalars: its clock, the unit in force and where the acquisition stands.
struct RunState {
  bool newSample = false;
  std::time_t startTime = 0;
  int intervalMs = 0;
  int startHour = 0, startMinute = 0, startSecond = 0;
  std::string startText;
  std::string endText;

  int unit = 0;
  std::string unitName;
  float fullScale = 0.0f;
  int resolution = 1000;

  RunPhase phase = RunPhase::Idle;
  RangeError rangeError = RangeError::None;
  std::string heldReading;
  // Brought back from its journal rather than taken now: its file names are dated
  // from its own start, which may lie days before the time of saving.
  bool recovered = false;

  // Whole seconds between samples, as the time axis and the files use it.
  int intervalSeconds() const { return intervalMs / 1000; }
  // Calendar time of sample i.
  std::time_t sampleTime(int i) const {
    return startTime + static_cast<std::time_t>(i) * intervalSeconds();
  }
  // The time the suggested file names carry: the time of saving, or the start of a
  // recovered run.
  std::time_t nameTime(std::time_t now) const { return recovered ? startTime : now; }
};

}  // namespace pv
