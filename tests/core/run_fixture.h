// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds runs in the sample store the way ingestion and the sample timer leave them.
#include <cstring>
#include <memory>
#include <string_view>

#include "app_model.h"
#include "link/units.h"

namespace pv::test {

struct SampleSpec {
  float value;
  std::string_view text;  // six characters
  int unit;
  bool relative = false;
};

inline SampleText Text6(std::string_view t) {
  SampleText out{};
  std::memcpy(out.data(), t.data(), std::min<std::size_t>(6, t.size()));
  return out;
}

// Error samples carry full scale 52 and factor 1 whatever the unit in force.
inline void PutSample(AppModel& m, int i, const SampleSpec& s) {
  const bool error = s.value == kErrorHigh || s.value == kErrorLow;
  m.store.values[i] = s.value;
  m.store.texts[i] = Text6(s.text);
  m.store.fullScaleAt[i] = error ? kErrorFullScale : kUnits[s.unit].fullScale;
  m.store.toPsiAt[i] = error ? kErrorToPsi : kUnits[s.unit].toPsi;
  m.store.unitAt[i] = static_cast<std::uint8_t>(error ? kUnitPsi : s.unit);
  m.store.unitNameAt[i] = kUnits[error ? kUnitPsi : s.unit].name;
  m.store.relativeAt[i] = s.relative ? 1 : 0;
}

// A run started at 10:22:05 UTC on 14 March 2025; the caller sets TZ=UTC.
inline constexpr std::time_t kRunStart = 1741947725;

inline std::unique_ptr<AppModel> MakeRun(int samples, int intervalSeconds = 1) {
  auto m = std::make_unique<AppModel>();
  SampleStore& store = m->store;
  RunState& run = m->run;
  store.sampleCount = samples;
  run.startTime = kRunStart;
  run.intervalMs = 1000 * intervalSeconds;
  run.startHour = 10, run.startMinute = 22, run.startSecond = 5;
  run.startText = "10:22:05";
  run.endText = samples > 0 ? "10:22:05" : "";
  for (int i = 0; i < samples; ++i) PutSample(*m, i, {1.234f + 0.001f * (i % 100), "+1.234", kUnitPsi});
  return m;
}

}  // namespace pv::test
