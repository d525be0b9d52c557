// SPDX-License-Identifier: GPL-3.0-or-later
// A data-logger file can hold any floats, full scales and times, and the logger graph
// must draw whatever a file holds: NaN, infinite and huge values, full scales of zero
// or denormal, up to a full store, with zooms, drags, cursor moves and scrolling in any
// order. Nothing may crash or place a point beyond the painter's coordinate limit.
//
// Input: a header (count, interval, start, the record pattern), then operations
// chosen by one byte each: bits 0..2 the action, bit 6 a paint afterwards (within the
// paint budget), bit 7 a new client size from the input. The store is painted before
// the first operation and after the last.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "link/units.h"
#include "logger/logger_graph.h"

using namespace pv;

namespace {

void FillStore(LoggerStore& s, fuzz::Input& in, int count) {
  s.intervalMs = static_cast<int>(in.u32());
  s.startHour = in.range(-2, 25);
  s.startMinute = in.range(-2, 61);
  s.startSecond = static_cast<int>(in.u32());
  s.startText = "10:00:00";
  const int patternLength = in.range(1, 16);
  const int stride = in.range(1, 64);
  float value[16], fullScale[16];
  std::uint8_t unit[16];
  for (int k = 0; k < patternLength; ++k) {
    const std::uint8_t kind = in.byte();
    unit[k] = kind % kUnitCount;
    value[k] = (kind & 0x80) ? fuzz::WildFloat(in) : static_cast<float>(static_cast<std::int8_t>(in.byte()));
    fullScale[k] = (kind & 0x40) ? fuzz::WildFloat(in) : kUnits[unit[k]].fullScale;
  }
  for (int i = 0; i < count; ++i) {
    const int k = (i / stride) % patternLength;
    s.values[i] = value[k];
    s.fullScaleAt[i] = fullScale[k];
    s.unitAt[i] = unit[k];
    s.texts[i] = SampleText{'+', '0', '1', '.', '2', '3'};
  }
  s.recordCount = count;
  s.unitName = count > 0 ? std::string(kUnits[unit[(count - 1) / stride % patternLength]].name) : "";
  s.loaded = true;
}

// The window's paint: the layout, then the drawing.
LoggerGraphFrame Paint(AppModel& m, int w, int h) {
  LayoutLoggerGraph(m, w, h);
  return DrawLoggerGraph(m, w, h);
}

void CheckFrame(const LoggerGraphFrame& f) {
  fuzz::CheckList(f.surface.list);
  PV_FUZZ_CHECK(f.scrollBar.minimum <= f.scrollBar.maximum || !f.scrollBar.enabled);
  PV_FUZZ_CHECK(f.scrollBar.maximum <= kStoreCapacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReusableModel reusable;
  AppModel& m = reusable.fresh();
  fuzz::Input in({data, size});
  const int count = in.count(kStoreCapacity);
  reusable.touchSamples(count);
  FillStore(m.logger, in, count);

  int w = 800, h = 500;
  CheckFrame(Paint(m, w, h));
  reusable.note();
  fuzz::PaintBudget budget;
  while (!in.empty()) {
    const std::uint8_t op = in.byte();
    if (op & 0x80) {
      w = in.range(0, 2100);
      h = in.range(0, 1300);
    }
    const Point p{in.range(-200, w + 200), in.range(-200, h + 200)};
    switch (op & 0x07) {
      case 0: LoggerLeftPress(m, p); break;
      case 1: fuzz::CheckList(LoggerMouseMove(m, p).header); break;
      case 2: LoggerLeftRelease(m, p); break;
      case 3: LoggerDragWatchTick(m, p); break;
      case 4: LoggerZoomOut(m); break;
      case 5: LoggerScrollTo(m, in.range(-100, kStoreCapacity + 100)); break;
      case 6: LoggerResetView(m); break;
      default: break;
    }
    reusable.note();
    PV_FUZZ_CHECK(m.loggerGraph.zoomLevel >= 0 && m.loggerGraph.zoomLevel <= kMaxZoomDepth);
    PV_FUZZ_CHECK(fuzz::Bounded(m.loggerGraph.readout) && fuzz::Bounded(m.loggerGraph.cursorTime));
    if ((op & 0x40) && budget.allow(count, m.loggerGraph.zoomLevel)) {
      CheckFrame(Paint(m, w, h));
      reusable.note();
    }
  }
  CheckFrame(Paint(m, w, h));
  reusable.note();
  return 0;
}
