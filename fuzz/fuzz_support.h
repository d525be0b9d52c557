// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets share: a reader that turns the fuzzer's bytes into choices, a
// serial port that accepts everything and records nothing, a model that is reset
// rather than rebuilt, and the invariants every target checks after each step.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app_model.h"
#include "chart/chart_geometry.h"
#include "chart/chart_layout.h"
#include "link/serial_port.h"

namespace pv::fuzz {

// An invariant that does not hold is a finding: report it and abort so that libFuzzer
// keeps the input.
#define PV_FUZZ_CHECK(cond)                                                          \
  do {                                                                               \
    if (!(cond)) {                                                                   \
      std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

// Consumes the input from the front; once it is used up every read yields zero.
class Input {
 public:
  explicit Input(std::span<const std::uint8_t> data) : data_(data) {}
  bool empty() const { return pos_ >= data_.size(); }
  std::size_t left() const { return empty() ? 0 : data_.size() - pos_; }
  std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
  std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
  std::uint32_t u32() { return u16() | (static_cast<std::uint32_t>(u16()) << 16); }
  int range(int lo, int hi) {  // lo..hi inclusive
    const auto span = static_cast<std::uint32_t>(hi - lo) + 1;
    return lo + static_cast<int>(u32() % span);
  }
  float rawFloat() {
    const std::uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  // A number of samples up to max. Work grows with it, so small counts are by far the
  // most likely: one byte below 0xE0 is the count (enough for the live chart's first
  // compressions), 0xE0..0xFD and the next byte give any count from 224 to 1023, 0xFE
  // and a 16-bit number any count up to max, and 0xFF asks for max itself, a full
  // store.
  int count(int max) {
    const int b = byte();
    if (b < 0xE0) return std::min(b, max);
    if (b < 0xFE) return std::min(0xE0 + ((b - 0xE0) + 30 * byte()) % 800, max);
    if (b == 0xFE) return static_cast<int>(u16() % (static_cast<unsigned>(max) + 1));
    return max;
  }
  // Up to n bytes, fewer at the end of the input.
  std::span<const std::uint8_t> take(std::size_t n) {
    n = std::min(n, left());
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// Values that have broken chart code before, picked by one byte; other bytes give a
// raw float from the input.
inline float WildFloat(Input& in) {
  switch (in.byte() % 16) {
    case 0: return std::numeric_limits<float>::quiet_NaN();
    case 1: return std::numeric_limits<float>::infinity();
    case 2: return -std::numeric_limits<float>::infinity();
    case 3: return std::numeric_limits<float>::max();
    case 4: return -std::numeric_limits<float>::max();
    case 5: return std::numeric_limits<float>::denorm_min();
    case 6: return -std::numeric_limits<float>::denorm_min();
    case 7: return 0.0f;
    case 8: return -0.0f;
    case 9: return 5.1f;
    case 10: return -5.1f;
    case 11: return 1e30f;
    default: return in.rawFloat();
  }
}

// Every command succeeds and nothing is kept; a failure can be armed for the next
// operation to exercise the error guards.
class NullPort : public SerialPort {
 public:
  bool failNext = false;
  std::vector<std::uint8_t> pending;

  void selectPort(int) override { step(); }
  void setLineSettings(const LineSettings&) override { step(); }
  void setReceiveThreshold(int) override { step(); }
  void setReadLength(int) override { step(); }
  void discardInput() override { step(); }
  void open() override {
    step();
    open_ = true;
  }
  void close() override {
    step();
    open_ = false;
  }
  bool isOpen() const override { return open_; }
  void write(std::span<const std::uint8_t>) override { step(); }
  std::vector<std::uint8_t> readAll() override {
    step();
    return std::exchange(pending, {});
  }
  bool lastEventIsDataReceived() const override { return true; }
  PortErrorKind lastFailure() const override { return PortErrorKind::None; }

 private:
  void step() {
    if (std::exchange(failNext, false)) throw PortError(PortErrorKind::Other, "refused");
  }
  bool open_ = false;
};

// A fresh AppModel allocates tens of megabytes of position tables, which would take
// longer than everything an input does, and even copying a fresh model's stores
// costs more than a typical input. One model is kept and put back into the state of
// a fresh one before each input: every scalar, and of the per-sample arrays only the
// slots an input can have written. A target declares those with touchSamples()
// before it writes beyond the run's open slot, and calls note() after every step;
// note() also records the deepest zoom levels, whose position tables are cleared.
class ReusableModel {
 public:
  AppModel& fresh() {
    if (!model_) {
      model_ = std::make_unique<AppModel>();
      pristine_ = std::make_unique<AppModel>();
      return *model_;
    }
    AppModel& m = *model_;
    const AppModel& p = *pristine_;
    const std::size_t n = std::min<std::size_t>(kStoreCapacity, std::size_t(std::max(touched_, 2)));
    ResetKeeping(m.store, p.store, n, &SampleStore::values, &SampleStore::texts, &SampleStore::fullScaleAt,
                 &SampleStore::toPsiAt, &SampleStore::unitAt, &SampleStore::unitNameAt, &SampleStore::relativeAt);
    m.run = p.run;
    ResetKeeping(m.logger, p.logger, n, &LoggerStore::values, &LoggerStore::fullScaleAt,
                 &LoggerStore::texts, &LoggerStore::unitAt);
    ResetLevels(m.chart, p.chart, std::min(kZoomLevels, deepest_ + 2), n);
    ResetLevels(m.loggerGraph, p.loggerGraph, std::min(kZoomLevels, deepestGraph_ + 2), n);
    m.flags = p.flags;
    m.panel = p.panel;
    m.stats = p.stats;
    m.statsBar = p.statsBar;
    m.ingest = p.ingest;
    m.cursorBar = p.cursorBar;
    m.loggerView = p.loggerView;
    deepest_ = 0;
    deepestGraph_ = 0;
    touched_ = 0;
    return m;
  }
  // The input is about to write sample slots 0..count - 1 of any store.
  void touchSamples(int count) { touched_ = std::max(touched_, count); }
  // Call after every step: the run's open slot, the logger's records and the zoom
  // depths reached so far.
  void note() {
    const AppModel& m = *model_;
    touched_ = std::max({touched_, m.store.sampleCount + 1, m.logger.recordCount});
    deepest_ = std::max(deepest_, m.chart.zoomDepth);
    deepestGraph_ = std::max(deepestGraph_, m.loggerGraph.zoomLevel);
  }

 private:
  // A default-constructed T with its per-sample arrays emptied: the scalars to copy.
  template <class T>
  static const T& Scalars() {
    static const T kScalars = [] {
      T t;
      Empty(t);
      return t;
    }();
    return kScalars;
  }
  static void Empty(SampleStore& s) {
    s.values = {}, s.texts = {}, s.fullScaleAt = {}, s.toPsiAt = {}, s.unitAt = {}, s.unitNameAt = {};
    s.relativeAt = {};
  }
  static void Empty(LoggerStore& s) {
    s.values = {}, s.fullScaleAt = {}, s.texts = {}, s.unitAt = {};
  }
  static void Empty(ChartState& c) { c.levels.xPositions = {}, c.levels.yPositions = {}; }
  static void Empty(LoggerGraphState& g) { g.levels.xPositions = {}, g.levels.yPositions = {}; }

  // Puts s back to fresh: the scalars copied from a fresh T (its per-sample arrays
  // left out), and the first n slots of each listed array from the fresh one's.
  template <class T, class... Arrays>
  static void ResetKeeping(T& s, const T& fresh, std::size_t n, Arrays... arrays) {
    auto kept = std::make_tuple(std::move(s.*arrays)...);
    s = Scalars<T>();
    std::apply([&](auto&... a) { (std::copy_n((fresh.*arrays).begin(), n, a.begin()), ...); }, kept);
    std::apply([&](auto&... a) { ((s.*arrays = std::move(a)), ...); }, kept);
  }
  // The same for a state with position tables, of which `levels` levels are in use.
  template <class T>
  static void ResetLevels(T& s, const T& fresh, int levels, std::size_t n) {
    PositionTable x = std::move(s.levels.xPositions);
    PositionTable y = std::move(s.levels.yPositions);
    for (int level = 0; level < levels; ++level) {
      std::copy_n(fresh.levels.posX(level), n, x.begin() + std::ptrdiff_t(level) * kStoreCapacity);
      std::copy_n(fresh.levels.posY(level), n, y.begin() + std::ptrdiff_t(level) * kStoreCapacity);
    }
    s = Scalars<T>();
    s.levels.xPositions = std::move(x);
    s.levels.yPositions = std::move(y);
  }

  std::unique_ptr<AppModel> model_;
  std::unique_ptr<const AppModel> pristine_;  // what every per-sample slot goes back to
  int deepest_ = 0;
  int deepestGraph_ = 0;
  int touched_ = 0;
};

// Paints cost about samples x zoom levels each, and tens of microseconds for the
// labels however small the store. An input may paint three times whatever the store
// and up to six times while the work stays within a budget, so that an input over a
// full store or at a deep zoom stays within a few milliseconds.
class PaintBudget {
 public:
  bool allow(int samples, int levels) {
    const long long work = (static_cast<long long>(std::max(samples, 0)) + 1) * (std::max(levels, 0) + 1);
    if (paints_ >= kAlways && (paints_ >= kAtMost || spent_ + work > kWork)) return false;
    ++paints_;
    spent_ += work;
    return true;
  }

 private:
  static constexpr int kAlways = 3;
  static constexpr int kAtMost = 6;
  static constexpr long long kWork = 1 << 13;
  int paints_ = 0;
  long long spent_ = 0;
};

// A text shown in a box or on the panel stays short whatever the meter sent.
inline bool Bounded(const std::string& s, std::size_t limit = 64) { return s.size() <= limit; }

// What holds after every step, whatever the input.
inline void CheckModel(const AppModel& m) {
  PV_FUZZ_CHECK(m.store.sampleCount >= 0 && m.store.sampleCount <= kMaxSamples);
  PV_FUZZ_CHECK(m.run.unit >= 0 && m.run.unit < 11);
  PV_FUZZ_CHECK(m.chart.zoomDepth >= 0 && m.chart.zoomDepth <= kMaxZoomDepth);
  PV_FUZZ_CHECK(Bounded(m.panel.reading, 10));
  PV_FUZZ_CHECK(Bounded(m.panel.unit, 8));
  PV_FUZZ_CHECK(Bounded(m.run.heldReading, 10));
  for (const std::string& s : {m.statsBar.startTime, m.statsBar.sampleCount, m.statsBar.interval, m.statsBar.battery, m.statsBar.maximum,
                               m.statsBar.maximumTime, m.statsBar.minimum, m.statsBar.minimumTime, m.statsBar.average})
    PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.cursorBar.boxes()) PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.chart.timeLabelTexts) PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.chart.valueLabelTexts) PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.chart.printValueLabels) PV_FUZZ_CHECK(Bounded(s));
}

inline void CheckList(const DisplayList& list) {
  for (const DisplayCommand& c : list.commands) {
    if (const auto* p = std::get_if<Polyline>(&c)) {
      for (const Point& q : p->points) {
        PV_FUZZ_CHECK(std::abs(q.x) <= kCoordinateLimit);
        PV_FUZZ_CHECK(std::abs(q.y) <= kCoordinateLimit);
      }
    } else if (const auto* t = std::get_if<Text>(&c)) {
      PV_FUZZ_CHECK(Bounded(t->text));
    }
  }
}

// Paints as the chart view does (layout, then draw) and checks what came out.
inline void PaintAndCheck(AppModel& m, int w, int h) {
  LayoutChart(m, w, h);
  const ChartFrame f = DrawChart(m, w, h);
  CheckList(f.plot.list);
  CheckList(f.leftStrip.list);
  CheckList(f.rightStrip.list);
  CheckList(f.mainWindow);
  PV_FUZZ_CHECK(ChartScrollBarState(m).maximum <= kMaxSamples);
  CheckModel(m);
}

}  // namespace pv::fuzz
