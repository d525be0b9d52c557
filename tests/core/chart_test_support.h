// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builders and finders shared by the chart's tests.
#include <memory>
#include <string>
#include <vector>

#include "app_model.h"
#include "chart/chart_layout.h"
#include "display_list.h"
#include "link/units.h"

namespace pv::testing {

inline constexpr std::time_t kRunStart = 1700000000;

// A fresh model whose current unit is `unit`, with the run's start and interval set.
inline std::unique_ptr<AppModel> MakeChartModel(int unit = kUnitPsi, int intervalSeconds = 1) {
  auto m = std::make_unique<AppModel>();
  m->run.unit = unit;
  m->run.fullScale = kUnits[unit].fullScale;
  m->run.startTime = kRunStart;
  m->run.intervalMs = intervalSeconds * 1000;
  return m;
}

inline void SetSample(AppModel& m, int i, float value, int unit = kUnitPsi) {
  m.store.values[i] = value;
  m.store.fullScaleAt[i] = kUnits[unit].fullScale;
  m.store.toPsiAt[i] = kUnits[unit].toPsi;
  m.store.unitAt[i] = static_cast<std::uint8_t>(unit);
}

inline void SetErrorSample(AppModel& m, int i, bool high) {
  m.store.values[i] = high ? kErrorHigh : kErrorLow;
  m.store.fullScaleAt[i] = kErrorFullScale;
  m.store.toPsiAt[i] = kErrorToPsi;
}

// Commits samples up to n (values already in place or zero psi).
inline void CommitTo(AppModel& m, int n) {
  for (int i = 0; i < n; ++i)
    if (m.store.fullScaleAt[i] == 0.0f) SetSample(m, i, 0.0f);
  m.store.sampleCount = n;
}

// A paint as the chart view does it: the layout step, then the draw of what it left.
inline ChartFrame Paint(AppModel& m, int clientW, int clientH) {
  LayoutChart(m, clientW, clientH);
  return DrawChart(m, clientW, clientH);
}

template <class T>
std::vector<const T*> All(const DisplayList& list) {
  std::vector<const T*> out;
  for (const auto& c : list.commands)
    if (const T* t = std::get_if<T>(&c)) out.push_back(t);
  return out;
}

inline std::vector<std::string> TextsOf(const DisplayList& list) {
  std::vector<std::string> out;
  for (const Text* t : All<Text>(list)) out.push_back(t->text);
  return out;
}

inline std::vector<const Line*> LinesIn(const DisplayList& list, Rgb colour) {
  std::vector<const Line*> out;
  for (const Line* l : All<Line>(list))
    if (l->pen.colour == colour) out.push_back(l);
  return out;
}

// The trace's points as drawn, polylines joined in order.
inline std::vector<Point> TracePoints(const DisplayList& list) {
  std::vector<Point> out;
  for (const Polyline* p : All<Polyline>(list)) out.insert(out.end(), p->points.begin(), p->points.end());
  return out;
}

}  // namespace pv::testing
