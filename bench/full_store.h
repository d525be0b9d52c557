// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A full real-time store (17278 psi samples on a slow sine, an error sample every
// 500) as the chart saw it grow, for the chart benchmarks; and the 99 zoom levels.
#include <cmath>
#include <memory>

#include "app_model.h"
#include "chart/chart_layout.h"
#include "chart/zoom.h"
#include "link/units.h"

namespace pv::bench {

constexpr int kClientW = 1600;
constexpr int kClientH = 900;

inline std::unique_ptr<AppModel> FullStore(bool withErrors = true) {
  auto m = std::make_unique<AppModel>();
  const UnitInfo& psi = kUnits[kUnitPsi];
  m->run.fullScale = psi.fullScale;
  m->run.intervalMs = 1000;
  m->run.startTime = 1700000000;
  for (int i = 0; i < kMaxSamples; ++i) {
    const bool error = withErrors && i % 500 == 250;
    m->store.values[i] = error ? kErrorHigh : static_cast<float>(4.0 * std::sin(i * 0.01));
    m->store.fullScaleAt[i] = error ? kErrorFullScale : psi.fullScale;
    m->store.toPsiAt[i] = error ? kErrorToPsi : psi.toPsi;
  }
  // A paint of the first sample, then the full store compresses the chart and a
  // further paint settles.
  m->store.sampleCount = 1;
  LayoutChart(*m, kClientW, kClientH);
  m->store.sampleCount = kMaxSamples;
  LayoutChart(*m, kClientW, kClientH);
  LayoutChart(*m, kClientW, kClientH);
  return m;
}

// 99 slight zooms, each a drag almost across the plot, painted as the user would see it.
inline void ZoomTo99(AppModel& m) {
  ModelObserver none;
  for (int d = 0; d < kMaxZoomDepth; ++d) {
    LeftPress(m, {300, 120}, kClientW, kClientH);
    MouseMove(m, {1526, 748}, kClientW, kClientH);
    LeftRelease(m, {1526, 748}, kClientW, kClientH, none);
    LayoutChart(m, kClientW, kClientH);
  }
}

}  // namespace pv::bench
