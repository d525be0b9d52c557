// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Frames as the meter sends them and an observer that remembers what it was told, for
// the live-monitoring tests.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app_model.h"
#include "link/ingest.h"
#include "model_observer.h"

namespace pv::test {

inline std::vector<std::uint8_t> ReadingBytes(int unit, int rec, int status, const char* magnitude) {
  std::vector<std::uint8_t> f{0xAA, 0x56, static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(rec),
                              static_cast<std::uint8_t>(status)};
  for (int k = 0; k < 5; ++k) f.push_back(static_cast<std::uint8_t>(magnitude[k]));
  f.push_back(0x00);
  return f;
}

inline std::vector<std::uint8_t> ErrorBytes(int code) {
  return {0xAA, 0x57, static_cast<std::uint8_t>(code), 0, 0, 0, 0, 0, 0, 0, 0};
}

inline constexpr int kPsi = 2;
inline constexpr int kMbar = 4;
inline constexpr int kHold = 0x20;
inline constexpr int kDif = 0x02;
inline constexpr int kNegative = 0x04;

struct RecordingObserver : ModelObserver {
  std::vector<PanelField> fields;
  int panel = 0, statistics = 0, cursorBar = 0, views = 0, invalidations = 0, commands = 0;
  void panelFieldChanged(PanelField f) override { fields.push_back(f); }
  void panelChanged() override { ++panel; }
  void statisticsChanged() override { ++statistics; }
  void cursorBarChanged() override { ++cursorBar; }
  void chartAndCommandsChanged() override { ++views; }
  void invalidateChart(bool) override { ++invalidations; }
  void commandsChanged() override { ++commands; }
  std::vector<RunEnd> runEnds;
  void runEndedByItself(RunEnd cause) override { runEnds.push_back(cause); }
  std::vector<std::string> notJournaled;
  void runNotJournaled(const std::string& why) override { notJournaled.push_back(why); }
  int holdTestEnds = 0;
  void holdTestChanged(bool ended) override { holdTestEnds += ended ? 1 : 0; }
};

inline void Feed(AppModel& m, const std::vector<std::uint8_t>& block, std::time_t now = 1000) {
  IngestBlock(m, block, now, NullObserver());
}

inline std::uint32_t Bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

inline std::string Text6(const SampleText& t) {
  return std::string(t.data(), t.size());
}

}  // namespace pv::test
