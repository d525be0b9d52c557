// SPDX-License-Identifier: GPL-3.0-or-later
// The chart meets whatever the store holds and whatever the user does: values that are
// NaN, infinite or huge, full scales of zero or denormal, any number of samples up to
// a full store, and drags, clicks, scrolling and resizes in any order. Nothing may
// crash, turn a float into an undefined integer or place a point beyond the painter's
// coordinate limit.
//
// Input: a header (unit, interval, sample count, how samples are made), the sample
// pattern, then operations chosen by one byte each: bits 0..3 the action, bits 4..6
// the client size (7: a size from the input), bit 7 a paint afterwards (within the
// paint budget). The end state is always painted.
#include <cstddef>
#include <cstdint>

#include "chart/cursors.h"
#include "chart/zoom.h"
#include "fuzz_support.h"
#include "link/units.h"

using namespace pv;

namespace {

struct Sizes {
  int w, h;
};
constexpr Sizes kSizes[] = {{1000, 700}, {1600, 900}, {365, 269}, {300, 200}, {0, 0}, {294, 120}, {5000, 3000}};

// Fills the store from a short pattern of samples repeated to the count, so that a
// small input can describe a full store.
void FillStore(AppModel& m, fuzz::Input& in, int count) {
  const int patternLength = in.range(1, 16);
  struct Sample {
    float value, fullScale, toPsi;
    std::uint8_t unit;
  };
  Sample pattern[16];
  for (int k = 0; k < patternLength; ++k) {
    const std::uint8_t kind = in.byte();
    const int unit = kind % kUnitCount;
    Sample& s = pattern[k];
    s.unit = static_cast<std::uint8_t>(unit);
    s.toPsi = kUnits[unit].toPsi;
    s.fullScale = kUnits[unit].fullScale;
    s.value = (kind & 0x80) ? fuzz::WildFloat(in) : static_cast<float>(static_cast<std::int8_t>(in.byte())) * 0.37f;
    switch ((kind >> 4) & 7) {
      case 0: s.fullScale = 0.0f; break;               // a slot never written
      case 1: s.fullScale = fuzz::WildFloat(in); break;  // incl. denormals, NaN
      case 2:                                           // a range error
        s.value = (kind & 1) ? kErrorHigh : kErrorLow;
        s.fullScale = kErrorFullScale;
        s.toPsi = kErrorToPsi;
        break;
      case 3: s.toPsi = fuzz::WildFloat(in); break;
      default: break;
    }
  }
  const int stride = in.range(1, 64);  // how often the pattern advances
  for (int i = 0; i < count; ++i) {
    const Sample& s = pattern[(i / stride) % patternLength];
    m.store.values[i] = s.value;
    m.store.fullScaleAt[i] = s.fullScale;
    m.store.toPsiAt[i] = s.toPsi;
    m.store.unitAt[i] = s.unit;
    m.store.unitNameAt[i] = kUnits[s.unit].name;
  }
}

Point AnyPoint(fuzz::Input& in, Sizes s) { return {in.range(-200, s.w + 200), in.range(-200, s.h + 200)}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReusableModel reusable;
  AppModel& m = reusable.fresh();
  ModelObserver& o = NullObserver();
  fuzz::Input in({data, size});

  const int unit = in.byte() % kUnitCount;
  m.run.unit = unit;
  m.run.fullScale = (in.byte() & 1) ? fuzz::WildFloat(in) : kUnits[unit].fullScale;
  m.run.intervalMs = 1000 * in.range(0, 86400);
  m.run.startTime = 1700000000 + in.range(-86400, 86400);
  const int count = in.count(kMaxSamples);
  reusable.touchSamples(count);
  FillStore(m, in, count);
  m.store.sampleCount = count;

  Sizes size0 = kSizes[0];
  fuzz::PaintBudget budget;
  while (!in.empty()) {
    const std::uint8_t op = in.byte();
    const int sizeIndex = (op >> 4) & 7;
    const Sizes s = sizeIndex == 7 ? Sizes{in.range(0, 2100), in.range(0, 1300)} : kSizes[sizeIndex];
    switch (op & 0x0F) {
      case 0:
      case 1: {  // a rubber-band drag, perhaps leaving the plot while the watch ticks
        LeftPress(m, AnyPoint(in, s), s.w, s.h);
        for (int k = in.range(0, 3); k > 0; --k) MouseMove(m, AnyPoint(in, s), s.w, s.h);
        if (op & 1) DragWatchTick(m, AnyPoint(in, s), s.w, s.h, o);
        LeftRelease(m, AnyPoint(in, s), s.w, s.h, o);
        break;
      }
      case 2:
      case 3: RightRelease(m, in.range(-200, s.w + 200), s.w, s.h, o); break;
      case 4: ClearCursors(m, o); break;
      case 5: UndoZoom(m, o); break;
      case 6: ScrollTo(m, in.range(-100, kMaxSamples + 100), o); break;
      case 7: m.store.sampleCount = in.range(0, count); break;  // a new run under the chart
      case 8: m.store.sampleCount = std::min(count, m.store.sampleCount + in.range(1, 4000)); break;
      case 9: m.chart.rubberBandShown = !m.chart.rubberBandShown; break;
      default: break;
    }
    reusable.note();
    fuzz::CheckModel(m);
    if ((op & 0x80) && budget.allow(m.store.sampleCount, m.chart.zoomDepth)) {
      fuzz::PaintAndCheck(m, s.w, s.h);
      reusable.note();
    }
    size0 = s;
  }
  fuzz::PaintAndCheck(m, size0.w, size0.h);
  reusable.note();
  return 0;
}
