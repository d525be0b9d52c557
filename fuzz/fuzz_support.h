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
  void setSettings(std::string_view) override { step(); }
  void setBinaryInput() override { step(); }
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

 private:
  void step() {
    if (std::exchange(failNext, false)) throw PortError("refused");
  }
  bool open_ = false;
};

// A fresh AppModel allocates tens of megabytes of position tables, which would take
// longer than everything an input does. One model is kept and put back into the
// state of a fresh one before each input; of the chart's position tables only the
// levels an input can have written (0..deepest + 1) are cleared.
class ReusableModel {
 public:
  AppModel& fresh() {
    if (!model_) {
      model_ = std::make_unique<AppModel>();
      return *model_;
    }
    static const DocumentStore kDoc;
    static const ViewStore kView;
    static const LoggerStore kLogger;
    static const ChartState kChart = [] {
      ChartState c;
      c.g_fPosX = {};
      c.g_fPosY = {};
      return c;
    }();
    static const LoggerGraphState kGraph = [] {
      LoggerGraphState g;
      g.g_fPosX = {};
      g.g_fPosY = {};
      return g;
    }();
    AppModel& m = *model_;
    const int levels = std::min(kZoomLevels, deepest_ + 2);
    const int graphLevels = std::min(kLoggerLevels, deepestGraph_ + 2);
    std::vector<float> graphX = std::move(m.loggerGraph.g_fPosX);
    std::vector<float> graphY = std::move(m.loggerGraph.g_fPosY);
    std::fill_n(graphX.begin(), std::size_t(graphLevels) * kStoreCapacity, 0.0f);
    std::fill_n(graphY.begin(), std::size_t(graphLevels) * kStoreCapacity, 0.0f);
    m.loggerGraph = kGraph;
    m.loggerGraph.g_fPosX = std::move(graphX);
    m.loggerGraph.g_fPosY = std::move(graphY);
    std::vector<float> posX = std::move(m.chart.g_fPosX);
    std::vector<float> posY = std::move(m.chart.g_fPosY);
    std::fill_n(posX.begin(), std::size_t(levels) * kStoreCapacity, 0.0f);
    std::fill_n(posY.begin(), std::size_t(levels) * kStoreCapacity, 0.0f);
    m.chart = kChart;
    m.chart.g_fPosX = std::move(posX);
    m.chart.g_fPosY = std::move(posY);
    m.frame = MainFrameState{};
    m.doc = kDoc;
    m.view = kView;
    m.panel = PanelState{};
    m.stats = RecStatistics{};
    m.bar = RealTimeBarTexts{};
    m.ingest = IngestState{};
    m.cursorBar = CursorBarTexts{};
    m.logger = kLogger;
    m.loggerView = LoggerViewState{};
    deepest_ = 0;
    deepestGraph_ = 0;
    return m;
  }
  // Call after every operation that can zoom.
  void noteDepth() {
    deepest_ = std::max(deepest_, model_->chart.g_nZoomDepth);
    deepestGraph_ = std::max(deepestGraph_, model_->loggerGraph.g_nZoomLevel);
  }

 private:
  std::unique_ptr<AppModel> model_;
  int deepest_ = 0;
  int deepestGraph_ = 0;
};

// A text shown in a box or on the panel stays short whatever the meter sent.
inline bool Bounded(const std::string& s, std::size_t limit = 64) { return s.size() <= limit; }

// What holds after every step, whatever the input.
inline void CheckModel(const AppModel& m) {
  PV_FUZZ_CHECK(m.view.m_nSample >= 0 && m.view.m_nSample <= kMaxSamples);
  PV_FUZZ_CHECK(m.view.m_nUnit >= 0 && m.view.m_nUnit < 11);
  PV_FUZZ_CHECK(m.chart.g_nZoomDepth >= 0 && m.chart.g_nZoomDepth <= kMaxZoomDepth);
  PV_FUZZ_CHECK(Bounded(m.panel.m_strReading, 10));
  PV_FUZZ_CHECK(Bounded(m.panel.m_strUnit, 8));
  PV_FUZZ_CHECK(Bounded(m.view.m_strHeldReading, 10));
  for (const std::string& s : {m.bar.startTime, m.bar.sampleCount, m.bar.interval, m.bar.battery, m.bar.maximum,
                               m.bar.maximumTime, m.bar.minimum, m.bar.minimumTime, m.bar.average})
    PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.cursorBar.boxes()) PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.chart.m_strTimeLabel) PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.chart.g_strYLabel) PV_FUZZ_CHECK(Bounded(s));
  for (const std::string& s : m.chart.g_strPrintYLabel) PV_FUZZ_CHECK(Bounded(s));
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

// Paints and checks what came out.
inline void PaintAndCheck(AppModel& m, int w, int h) {
  const ChartFrame f = PaintChart(m, w, h);
  CheckList(f.plot.list);
  CheckList(f.leftStrip.list);
  CheckList(f.rightStrip.list);
  CheckList(f.mainWindow);
  PV_FUZZ_CHECK(f.scrollBar.maximum <= kMaxSamples);
  CheckModel(m);
}

}  // namespace pv::fuzz
