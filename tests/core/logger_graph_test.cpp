// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app_model.h"
#include "chart_test_support.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

using testing::All;
using testing::TextsOf;
using testing::TracePoints;

// The window's client area: 473 x 299 dialog units of 2 pixels. The plot then spans
// x 76.2..884.8 and y 60..536.8.
constexpr int kW = 946;
constexpr int kH = 598;
constexpr Rgb kFullGrid{80, 80, 80};
constexpr Rgb kWhite{255, 255, 255};

struct Rec {
  float value;
  int unit = kUnitPsi;
};

void SetRecord(LoggerStore& s, int i, Rec r) {
  s.values[i] = r.value;
  s.fullScaleAt[i] = kUnits[r.unit].fullScale;
  s.unitAt[i] = static_cast<std::uint8_t>(r.unit);
}

// Error records carry +-5.1 with the psi full scale, whatever unit the meter showed.
Rec Err1() {
  return {kErrorHigh, kUnitPsi};
}
Rec Err2() {
  return {kErrorLow, kUnitPsi};
}

std::unique_ptr<AppModel> Loaded(const std::vector<Rec>& records) {
  auto m = std::make_unique<AppModel>();
  LoggerStore& s = m->logger;
  s.recordCount = static_cast<int>(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) SetRecord(s, static_cast<int>(i), records[i]);
  s.startText = "10:00:00";
  s.startHour = 10;
  s.intervalMs = 5000;
  s.unitName = "psi";
  s.loaded = true;
  return m;
}

std::vector<Rec> Flat(int n, float value, int unit = kUnitPsi) {
  return std::vector<Rec>(n, Rec{value, unit});
}

int CountPixels(const DisplayList& list, Rgb colour) {
  int n = 0;
  for (const Pixels* p : All<Pixels>(list))
    if (p->colour == colour) n += static_cast<int>(p->points.size());
  return n;
}

bool HasText(const DisplayList& list, const std::string& text, Point at) {
  for (const Text* t : All<Text>(list))
    if (t->text == text && t->at == at) return true;
  return false;
}

// The window's paint: the layout, then the drawing.
LoggerGraphFrame Paint(AppModel& m) {
  LayoutLoggerGraph(m, kW, kH);
  return DrawLoggerGraph(m, kW, kH);
}

ZoomOutcome Drag(AppModel& m, Point from, Point to) {
  LoggerLeftPress(m, from);
  LoggerMouseMove(m, to);
  return LoggerLeftRelease(m, to);
}

// A data-logger file written as Save writes it, holding these records.
std::string WriteLoggerFile(const std::string& name, const std::vector<Rec>& records) {
  AppModel run;
  run.store.sampleCount = static_cast<int>(records.size());
  run.run.startText = "08:30:00";
  run.run.startHour = 8;
  run.run.startMinute = 30;
  run.run.intervalMs = 1000;
  for (std::size_t i = 0; i < records.size(); ++i) {
    run.store.values[i] = records[i].value;
    run.store.fullScaleAt[i] = kUnits[records[i].unit].fullScale;
    run.store.unitAt[i] = static_cast<std::uint8_t>(records[i].unit);
    run.store.unitNameAt[i] = kUnits[records[i].unit].name;
  }
  const auto bytes = EncodeDataLoggerFile(run);
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

TEST(LoggerGraph, WithoutAFileOnlyThePlotGridAndAxesAreDrawn) {
  AppModel m;
  const LoggerGraphFrame f = Paint(m);
  int horizontal = 0, vertical = 0;
  for (const Line* l : testing::LinesIn(f.surface.list, kFullGrid)) {
    if (l->from.y == l->to.y) {
      EXPECT_EQ(l->from.x, 76);
      EXPECT_EQ(l->to.x, 884);
      ++horizontal;
    } else {
      ++vertical;
    }
  }
  EXPECT_EQ(horizontal, 21);
  EXPECT_EQ(vertical, 20);
  EXPECT_EQ(testing::LinesIn(f.surface.list, kTraceColour).size(), 3u + 10u);  // axes and ticks
  EXPECT_TRUE(TextsOf(f.surface.list).empty());
  EXPECT_TRUE(TracePoints(f.surface.list).empty());
  const auto fills = All<FillRect>(f.surface.list);
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ((std::tuple{fills[0]->x, fills[0]->y, fills[0]->width, fills[0]->height}),
            (std::tuple{76, 60, 808, 476}));
  EXPECT_EQ(fills[0]->brush, Brush::Solid({0, 0, 0}));
  EXPECT_FALSE(f.cursor.has_value());
  EXPECT_FALSE(f.scrollBar.enabled);
}

TEST(LoggerGraph, FullViewLabelsFollowTheLastRecordsUnit) {
  struct Case {
    int lastUnit;
    std::vector<std::string> labels;  // top to bottom
    std::array<std::string, 4> published;
  };
  const Case cases[] = {
      {kUnitPsi,
       {"5.2000", "2.6000", "0.0000", "-2.6000", "-5.2000"},
       {"+5.199", "+2.599", "-2.599", "-5.199"}},
      {6 /* kPa */,
       {"35.8488", "17.9244", "0.0000", "-17.9244", "-35.8488"},
       {"+35.84", "+17.92", "-17.92", "-35.84"}},
  };
  for (const Case& c : cases) {
    auto m = Loaded({{1.0f, kUnitPsi}, {0.5f, c.lastUnit}});
    const LoggerGraphFrame f = Paint(*m);
    // Label k at x = indent class x 7.5 and the rows of the quarter lines.
    const int ys[5] = {60, 171, 290, 409, 524};
    for (int k = 0; k < 5; ++k) {
      const int x =
          (c.labels[k][0] == '-' ? (c.labels[k].size() == 7 ? 15 : 7) : (c.labels[k].size() == 6 ? 22 : 15));
      EXPECT_TRUE(HasText(f.surface.list, c.labels[k], {x, ys[k]})) << c.labels[k];
    }
    EXPECT_EQ(m->loggerView.printValueLabels, c.published);
    // The published six-character form is for the printed page only.
    EXPECT_FALSE(HasText(f.surface.list, c.published[3], {10, 524}));
    EXPECT_EQ(m->logger.unitName, kUnits[c.lastUnit].name);
  }
}

TEST(LoggerGraph, RecordsOfOnePressureInDifferentUnitsShareARow) {
  // One psi in every unit of the table.
  std::vector<Rec> records;
  for (int u = 0; u < kUnitCount; ++u) records.push_back({1.0f / kUnits[u].toPsi, u});
  auto m = Loaded(records);
  LayoutLoggerGraph(*m, kW, kH);
  const float* y = m->loggerGraph.levels.posY(0);
  for (int u = 0; u < kUnitCount; ++u) EXPECT_LE(std::abs(y[u] - y[kUnitPsi]), 1.0f) << kUnits[u].name;
  // One psi is a tenth of the way from the middle (298.4) towards the top edge.
  EXPECT_EQ(static_cast<int>(y[kUnitPsi]), 252);
}

TEST(LoggerGraph, ErrorRecordsAreMarkedExceptTheLast) {
  struct Case {
    std::vector<Rec> records;
    int marks;
  };
  const Case cases[] = {
      {{Err1(), {1.0f}, Err2(), Err1()}, 2},
      {{Err1(), Err1(), Err1()}, 2},
      {{{1.0f}, {5.1f, 6 /* 5.1 kPa is a reading */}, {1.0f}}, 0},
      {{Err2()}, 0},
  };
  for (const Case& c : cases) {
    auto m = Loaded(c.records);
    EXPECT_EQ(CountPixels(Paint(*m).surface.list, kWhite), 9 * c.marks);
    // The same at a zoom level covering the whole plot.
    if (c.records.size() < 2) continue;
    ASSERT_EQ(Drag(*m, {76, 60}, {884, 536}), ZoomOutcome::kAccepted);
    EXPECT_EQ(CountPixels(Paint(*m).surface.list, kWhite), 9 * c.marks);
  }
}

TEST(LoggerGraph, ZoomStepsFollowTheLevelRules) {
  struct Case {
    const char* what;
    int startLevel;  // zoom steps taken first with a large downward selection
    Point from, to;
    ZoomOutcome outcome;
    int level;
  };
  const Case cases[] = {
      {"upward at level 0 zooms", 0, {300, 400}, {500, 200}, ZoomOutcome::kAccepted, 1},
      {"downward at level 0 zooms", 0, {300, 200}, {500, 400}, ZoomOutcome::kAccepted, 1},
      {"upward at level 1 repaints only", 1, {300, 400}, {500, 200}, ZoomOutcome::kRefused, 1},
      {"downward at level 1 zooms", 1, {300, 200}, {500, 400}, ZoomOutcome::kAccepted, 2},
      {"no width", 0, {300, 200}, {300, 400}, ZoomOutcome::kRefused, 0},
      {"no height", 1, {300, 200}, {500, 200}, ZoomOutcome::kRefused, 1},
      {"press and release clamp to one corner", 0, {10, 10}, {20, 30}, ZoomOutcome::kNone, 0},
  };
  for (const Case& c : cases) {
    auto m = Loaded(Flat(200, 1.0f));
    LayoutLoggerGraph(*m, kW, kH);
    for (int i = 0; i < c.startLevel; ++i) {
      ASSERT_EQ(Drag(*m, {100, 100}, {800, 500}), ZoomOutcome::kAccepted);
      LayoutLoggerGraph(*m, kW, kH);
    }
    EXPECT_EQ(Drag(*m, c.from, c.to), c.outcome) << c.what;
    EXPECT_EQ(m->loggerGraph.zoomLevel, c.level) << c.what;
    EXPECT_EQ(m->loggerGraph.fullView, c.level == 0) << c.what;
  }
}

TEST(LoggerGraph, AClickOrACancelledDragDoesNotZoom) {
  auto m = Loaded(Flat(200, 1.0f));
  LayoutLoggerGraph(*m, kW, kH);
  LoggerLeftPress(*m, {300, 200});
  EXPECT_EQ(LoggerLeftRelease(*m, {300, 200}), ZoomOutcome::kNone);

  LoggerLeftPress(*m, {300, 200});
  EXPECT_TRUE(LoggerMouseMove(*m, {400, 300}).band.visible);
  EXPECT_FALSE(LoggerDragWatchTick(*m, {400, 300}));  // inside the watch area
  EXPECT_FALSE(LoggerDragWatchTick(*m, {934, 300}));  // right + 50 is 934.8
  EXPECT_TRUE(LoggerDragWatchTick(*m, {935, 300}));
  EXPECT_EQ(LoggerLeftRelease(*m, {400, 300}), ZoomOutcome::kNone);
  EXPECT_EQ(m->loggerGraph.zoomLevel, 0);

  // A release that no press began (the press fell elsewhere) takes no second step.
  ASSERT_EQ(Drag(*m, {100, 100}, {800, 500}), ZoomOutcome::kAccepted);
  EXPECT_EQ(LoggerLeftRelease(*m, {800, 500}), ZoomOutcome::kNone);
  EXPECT_EQ(m->loggerGraph.zoomLevel, 1);

  // Without a file a drag does nothing at all.
  AppModel empty;
  LayoutLoggerGraph(empty, kW, kH);
  EXPECT_FALSE(Drag(empty, {100, 100}, {800, 500}) == ZoomOutcome::kAccepted);
  EXPECT_TRUE(empty.loggerGraph.fullView);
}

TEST(LoggerGraph, ASelectionSpanningNoMoreThanFiveThousandthsAddsNoLevel) {
  // Level 1 shows 10 rows of level 0: 10 x 10.4 / 476.8 = 0.218 psi over the plot,
  // 0.000458 psi per row: 10 rows span 0.0046, 12 rows 0.0055.
  struct Case {
    int rows;
    int level;
  };
  for (const Case c : {Case{10, 1}, Case{11, 2}, Case{12, 2}, Case{400, 2}}) {
    auto m = Loaded(Flat(200, 1.0f));
    LayoutLoggerGraph(*m, kW, kH);
    ASSERT_EQ(Drag(*m, {100, 200}, {800, 210}), ZoomOutcome::kAccepted);
    LayoutLoggerGraph(*m, kW, kH);
    Drag(*m, {100, 100}, {800, 100 + c.rows});
    EXPECT_EQ(m->loggerGraph.zoomLevel, c.level) << c.rows;
  }
}

TEST(LoggerGraph, NoLevelBeyondOneRecordStepOrLevel99) {
  // Two records: the plot already holds one step, level 0 refuses.
  auto two = Loaded(Flat(2, 1.0f));
  LayoutLoggerGraph(*two, kW, kH);
  EXPECT_EQ(Drag(*two, {100, 100}, {800, 500}), ZoomOutcome::kRefused);
  EXPECT_TRUE(two->loggerGraph.fullView);

  // Slight zooms all the way down: 99 levels, then refused; the paint stays sound.
  auto m = Loaded(Flat(17278, 1.0f));
  LayoutLoggerGraph(*m, kW, kH);
  for (int level = 1; level <= kMaxZoomDepth; ++level) {
    ASSERT_EQ(Drag(*m, {77, 61}, {884, 536}), ZoomOutcome::kAccepted) << level;
    LayoutLoggerGraph(*m, kW, kH);
  }
  EXPECT_EQ(Drag(*m, {77, 61}, {884, 536}), ZoomOutcome::kRefused);
  EXPECT_EQ(m->loggerGraph.zoomLevel, kMaxZoomDepth);
  const LoggerGraphFrame f = Paint(*m);
  EXPECT_FALSE(TracePoints(f.surface.list).empty());
  EXPECT_TRUE(f.scrollBar.enabled);

  LoggerZoomOut(*m);
  const LoggerGraphFrame back = Paint(*m);
  EXPECT_FALSE(back.scrollBar.enabled);
  EXPECT_EQ(m->loggerGraph.rangeTop, 5.2f);
  EXPECT_TRUE(HasText(back.surface.list, "5.2000", {22, 60}));
}

TEST(LoggerGraph, TheCursorSnapsToTheNearestRecordWithTiesToTheLeft) {
  auto m = Loaded(Flat(5, 1.0f));
  LayoutLoggerGraph(*m, kW, kH);
  // Records at 100, 200, 300...: positions set by hand to make exact ties.
  for (int i = 0; i < 5; ++i) m->loggerGraph.levels.posX(0)[i] = 100.0f * (i + 1);
  struct Case {
    int x;
    int index;
  };
  for (const Case c : {Case{150, 0}, Case{151, 1}, Case{249, 1}, Case{250, 1}, Case{100, 0}, Case{80, 0}}) {
    LoggerMouseMove(*m, {c.x, 300});
    EXPECT_EQ(m->loggerGraph.cursorRecord, c.index) << c.x;
    EXPECT_EQ(m->loggerGraph.cursorX, 100 * (c.index + 1)) << c.x;
  }
  // x up to the plot's right edge + 1 moves it; y is not looked at.
  LayoutLoggerGraph(*m, kW, kH);
  EXPECT_TRUE(LoggerMouseMove(*m, {885, 5}).cursorMoved);
  EXPECT_EQ(m->loggerGraph.cursorRecord, 4);
  EXPECT_FALSE(LoggerMouseMove(*m, {886, 300}).cursorMoved);
  EXPECT_FALSE(LoggerMouseMove(*m, {75, 300}).cursorMoved);
  const auto line = LoggerCursor(*m);
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ((std::tuple{line->x, line->top, line->bottom}), (std::tuple{884, 60, 536}));
}

TEST(LoggerGraph, ReadoutIsInTheLastRecordsUnitWithErrorWordsAndTime) {
  // 100 kPa, ERR1, ERR2, 2 psi: the interval is 5 s from 10:00:00.
  auto m = Loaded({{100.0f, 6}, Err1(), Err2(), {2.0f, kUnitPsi}});
  m->loggerGraph.filePath = "/data/run.KvtDat";
  LayoutLoggerGraph(*m, kW, kH);
  struct Case {
    int x;
    const char* readout;
    const char* time;
  };
  // Records at 76.2, 345.7, 615.3, 884.8.
  const Case cases[] = {{80, "14.505", "10:00:00"},
                        {345, "ERR1", "10:00:05"},
                        {616, "ERR2", "10:00:10"},
                        {885, "2.000", "10:00:15"}};
  for (const Case& c : cases) {
    const LoggerMove move = LoggerMouseMove(*m, {c.x, 300});
    EXPECT_EQ(m->loggerGraph.readout, c.readout);
    EXPECT_EQ(m->loggerGraph.cursorTime, c.time);
    EXPECT_TRUE(HasText(move.header, c.readout, {155, 40}));
    EXPECT_TRUE(HasText(move.header, c.time, {275, 40}));
    EXPECT_TRUE(HasText(move.header, "/data/run.KvtDat", {384, 40}));
    EXPECT_TRUE(HasText(move.header, "psi", {210, 40}));
  }
  EXPECT_EQ(m->loggerView.shownPath, "/data/run.KvtDat");
  // The header repeats it on the next paint.
  const LoggerGraphFrame f = Paint(*m);
  for (const auto& [text, x] : std::vector<std::pair<std::string, int>>{{"PRESSURE:", 75},
                                                                        {"2.000", 155},
                                                                        {"@", 255},
                                                                        {"10:00:15", 275},
                                                                        {"(", 20},
                                                                        {"psi", 25},
                                                                        {")", 70}}) {
    EXPECT_TRUE(HasText(f.surface.list, text, {x, 40})) << text;
  }
}

TEST(LoggerGraph, OnlyOzinAndKgcmCarryASuperscript) {
  for (int unit = 0; unit < kUnitCount; ++unit) {
    const std::string name(kUnits[unit].name);
    SCOPED_TRACE(name);
    // Beside the header's unit and the bracketed one: x of each "2", none for the rest.
    std::vector<int> want;
    if (name == "ozin") want = {237, 52};
    if (name == "kgcm") want = {243, 58};
    auto m = Loaded({{1.0f, unit}, {1.0f, unit}});
    m->logger.unitName = name;
    const LoggerGraphFrame f = Paint(*m);
    std::vector<int> twos;
    for (const Text* t : All<Text>(f.surface.list))
      if (t->text == "2" && t->at.y == 37) twos.push_back(t->at.x);
    std::sort(twos.begin(), twos.end(), std::greater<>());
    EXPECT_EQ(twos, want);
  }
}

TEST(LoggerGraph, ZoomedViewStretchesTheSelectionAndLabelsItsTimes) {
  auto m = Loaded(Flat(101, 0.0f));  // records 8.086 px apart
  LayoutLoggerGraph(*m, kW, kH);
  ASSERT_EQ(Drag(*m, {480, 200}, {682, 400}), ZoomOutcome::kAccepted);
  const LoggerGraphFrame f = Paint(*m);
  const LoggerGraphState& g = m->loggerGraph;
  // x 480 is record 49.9: the first record inside the plot is 50.
  EXPECT_EQ(g.firstVisible, 49);
  EXPECT_EQ(f.scrollBar, (LoggerScrollBar{true, 0, 101, 49}));
  // 25 records across: a grid line every 6 records, labelled 5 s per record.
  EXPECT_EQ(g.markRecords[1] - g.markRecords[0], 6);
  const std::vector<std::string> texts = TextsOf(f.surface.list);
  // Record 49 lies left of the plot: its mark has no label; record 55 has.
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "10:04:05"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "10:04:35"), texts.end());
  // Values: the selection's rows at level 0.
  EXPECT_NEAR(g.valueTop, 5.2f - 140 * 10.4f / 476.8f, 1e-4f);
  EXPECT_NEAR(g.valueBottom, -5.2f + 136.8f * 10.4f / 476.8f, 1e-4f);
  // Nothing of the trace is left outside the plot.
  for (const Point p : TracePoints(f.surface.list)) {
    if (p.x < 76 || p.x > 884) continue;
    EXPECT_EQ(p.y, TruncToInt(60 + (298.4f - 200) * 476.8f / 200));
  }

  // The scroll bar moves the trace: the thumb at record 40 shifts every record 9
  // places right; the record drawn where record 58 was is record 49.
  ASSERT_TRUE(LoggerScrollTo(*m, 40));
  EXPECT_EQ(g.scrollShift, 9);
  EXPECT_EQ(Paint(*m).scrollBar.position, 40);
  LoggerMouseMove(*m, {TruncToInt(g.levels.posX(1)[58]) + 1, 300});
  EXPECT_EQ(g.cursorRecord, 49);
  EXPECT_EQ(g.cursorX, TruncToInt(g.levels.posX(1)[58]));
  EXPECT_EQ(g.cursorTime, "10:04:05");
}

TEST(LoggerGraph, OneRecordStandsAtTheLeftEdgeWithAReadout) {
  auto m = Loaded({{2.6f, kUnitPsi}});
  const LoggerGraphFrame f = Paint(*m);
  // A short stroke from the left edge at the record's row.
  const auto strokes = testing::LinesIn(f.surface.list, kTraceColour);
  const auto lone = [](const Line* l) { return l->from == Point{76, 179} && l->to == Point{82, 179}; };
  EXPECT_NE(std::find_if(strokes.begin(), strokes.end(), lone), strokes.end());
  LoggerMouseMove(*m, {500, 300});
  EXPECT_EQ(m->loggerGraph.readout, "2.600");
  EXPECT_EQ(m->loggerGraph.cursorX, 76);
  EXPECT_EQ(Drag(*m, {100, 100}, {800, 500}), ZoomOutcome::kRefused);
  EXPECT_TRUE(m->loggerGraph.fullView);
}

TEST(LoggerGraph, DownloadReplacesTheGraphOnlyWithACompleteFile) {
  AppModel m;
  const std::string many = WriteLoggerFile("logger_many.KvtDat", Flat(50, 4.0f));
  const std::string few = WriteLoggerFile("logger_few.KvtDat", Flat(5, -1.0f));
  const std::string none = WriteLoggerFile("logger_none.KvtDat", {});

  ASSERT_TRUE(LoggerDownload(m, many).loaded);
  LayoutLoggerGraph(m, kW, kH);
  LoggerMouseMove(m, {880, 300});
  EXPECT_EQ(m.loggerGraph.readout, "4.000");

  // Fewer records: nothing of the first file shows, readout included.
  LoggerResetView(m);
  ASSERT_TRUE(LoggerDownload(m, few).loaded);
  EXPECT_EQ(m.loggerGraph.readout, "");
  LoggerGraphFrame f = Paint(m);
  const std::vector<Point> points = TracePoints(f.surface.list);
  EXPECT_EQ(points.size(), 5u);
  for (const Point p : points) EXPECT_EQ(p.y, TruncToInt(298.4f + 10 * 1.0f * 238.4f / 52.0f));
  EXPECT_EQ(m.loggerGraph.filePath, few);
  EXPECT_TRUE(HasText(f.surface.list, "08:30:00", {76, 544}));

  // A damaged file is refused with a message; the graph stays as it was.
  const std::string broken = ::testing::TempDir() + "logger_broken.KvtDat";
  std::ofstream(broken, std::ios::binary) << "\x05\x00";
  const LoggerDownloadResult failed = LoggerDownload(m, broken);
  EXPECT_FALSE(failed.loaded);
  EXPECT_NE(failed.error.find(broken), std::string::npos);
  EXPECT_EQ(m.logger.recordCount, 5);
  EXPECT_EQ(m.loggerGraph.filePath, few);
  EXPECT_FALSE(LoggerDownload(m, ::testing::TempDir() + "logger_missing.KvtDat").loaded);

  // Cancel: the old data stay, the path line goes blank.
  EXPECT_FALSE(LoggerDownload(m, "").loaded);
  EXPECT_EQ(m.logger.recordCount, 5);
  EXPECT_EQ(m.loggerGraph.filePath, "");

  // No records: loaded, no trace, five zero labels.
  ASSERT_TRUE(LoggerDownload(m, none).loaded);
  f = Paint(m);
  EXPECT_TRUE(TracePoints(f.surface.list).empty());
  const std::vector<std::string> texts = TextsOf(f.surface.list);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "0.0000"), 5);
  EXPECT_FALSE(LoggerMouseMove(m, {300, 300}).cursorMoved);
  EXPECT_EQ(Drag(m, {100, 100}, {800, 500}), ZoomOutcome::kRefused);
  std::remove(many.c_str());
  std::remove(few.c_str());
  std::remove(none.c_str());
  std::remove(broken.c_str());
}

TEST(LoggerGraph, ZoomOutAndResetReturnToTheFullView) {
  auto m = Loaded(Flat(300, 1.0f));
  LayoutLoggerGraph(*m, kW, kH);
  Drag(*m, {100, 100}, {800, 500});
  LayoutLoggerGraph(*m, kW, kH);
  Drag(*m, {100, 100}, {800, 500});
  LoggerMouseMove(*m, {300, 300});
  LayoutLoggerGraph(*m, kW, kH);
  ASSERT_TRUE(LoggerScrollTo(*m, 10));
  ASSERT_EQ(m->loggerGraph.zoomLevel, 2);
  ASSERT_FALSE(m->loggerGraph.cursorHidden);

  for (auto reset : {LoggerZoomOut, LoggerResetView}) {
    AppModel& model = *m;
    reset(model);
    const LoggerGraphState& g = model.loggerGraph;
    EXPECT_TRUE(g.fullView);
    EXPECT_EQ(g.zoomLevel, 0);
    EXPECT_EQ(g.scrollShift, 0);
    EXPECT_TRUE(g.cursorHidden);
    EXPECT_FALSE(LoggerScrollTo(model, 10));
    EXPECT_FALSE(LoggerScrollBarState(model).enabled);
  }
}

// Every command of a list with all its fields, one line each, to compare two lists.
std::string Describe(const DisplayList& list) {
  auto pen = [](const Pen& p) {
    return Format(" pen %d,%d,%d w%d s%d", p.colour.r, p.colour.g, p.colour.b, p.width,
                  static_cast<int>(p.style));
  };
  auto brush = [](const Brush& b) {
    return Format(" brush %d %d,%d,%d", b.buttonFace, b.colour.r, b.colour.g, b.colour.b);
  };
  auto points = [](const std::vector<Point>& ps) {
    std::string out;
    for (const Point p : ps) out += Format(" %d,%d", p.x, p.y);
    return out;
  };
  std::string out;
  for (const DisplayCommand& c : list.commands) {
    if (const auto* l = std::get_if<Line>(&c)) {
      out += Format("line %d,%d %d,%d", l->from.x, l->from.y, l->to.x, l->to.y) + pen(l->pen);
    } else if (const auto* p = std::get_if<Polyline>(&c)) {
      out += "polyline" + pen(p->pen) + points(p->points);
    } else if (const auto* x = std::get_if<Pixels>(&c)) {
      out += Format("pixels %d,%d,%d", x->colour.r, x->colour.g, x->colour.b) + points(x->points);
    } else if (const auto* f = std::get_if<FillRect>(&c)) {
      out += Format("fill %d,%d %dx%d", f->x, f->y, f->width, f->height) + brush(f->brush);
    } else if (const auto* t = std::get_if<Text>(&c)) {
      out += Format("text %d,%d %d %d,%d,%d '", t->at.x, t->at.y, static_cast<int>(t->font), t->colour.r,
                    t->colour.g, t->colour.b) +
             t->text + "'" + (t->background ? brush(*t->background) : "");
    }
    out += "\n";
  }
  return out;
}

// What a layout may change, as one comparable value.
auto LaidOut(const AppModel& m) {
  const LoggerGraphState& g = m.loggerGraph;
  std::vector<float> selections;
  for (const LoggerSelection& sel : g.selections)
    selections.insert(selections.end(), {sel.x0, sel.y0, sel.x1, sel.y1});
  const std::array<float, 11> scalars{g.plotLeft,    g.plotTop,     g.plotRight,   g.plotBottom,
                                      g.rangeTop,    g.rangeMiddle, g.rangeBottom, g.valueTop,
                                      g.valueMiddle, g.valueBottom, g.recordStep};
  return std::tuple{g.levels.xPositions,
                    g.levels.yPositions,
                    selections,
                    scalars,
                    g.firstVisible,
                    g.firstVisibleValid,
                    g.markRecords,
                    g.markTimes,
                    g.unitFieldName,
                    m.loggerView.printValueLabels,
                    m.logger.unitName};
}

TEST(LoggerGraph, DrawingReadsTheLayoutAndChangesNothing) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<AppModel>()> make;
  };
  const Case cases[] = {
      {"no file", [] { return std::make_unique<AppModel>(); }},
      {"full view, saved unit name not the last record's",
       [] {
         auto m = Loaded({{1.0f, kUnitPsi}, Err1(), {30.0f, 6 /* kPa */}});
         m->logger.unitName = "ozin";
         return m;
       }},
      {"two levels deep, scrolled, cursor on a record",
       [] {
         auto m = Loaded(Flat(300, 1.0f));
         LayoutLoggerGraph(*m, kW, kH);
         Drag(*m, {800, 500}, {100, 100});  // upward: the next layout puts it in order
         LayoutLoggerGraph(*m, kW, kH);
         Drag(*m, {100, 100}, {800, 500});
         LayoutLoggerGraph(*m, kW, kH);
         LoggerScrollTo(*m, 3);
         LoggerMouseMove(*m, {300, 300});
         EXPECT_EQ(m->loggerGraph.zoomLevel, 2);
         EXPECT_NE(m->loggerGraph.scrollShift, 0);
         EXPECT_FALSE(m->loggerGraph.cursorHidden);
         return m;
       }},
  };
  for (const Case& c : cases) {
    auto m = c.make();
    LayoutLoggerGraph(*m, kW, kH);
    const auto before = LaidOut(*m);
    const LoggerGraphFrame first = DrawLoggerGraph(*m, kW, kH);
    EXPECT_TRUE(LaidOut(*m) == before) << c.what;
    const LoggerGraphFrame second = DrawLoggerGraph(*m, kW, kH);
    EXPECT_EQ(Describe(first.surface.list), Describe(second.surface.list)) << c.what;
    EXPECT_EQ(first.scrollBar, second.scrollBar) << c.what;
    EXPECT_TRUE(LaidOut(*m) == before) << c.what;
  }
}

TEST(LoggerGraph, TheUnitFieldShowsTheSavedNameForOnePaint) {
  // The field beside the readout is drawn before the paint takes the last record's
  // unit; the bracketed name after it.
  auto m = Loaded({{1.0f, kUnitPsi}, {30.0f, 6 /* kPa */}});
  m->logger.unitName = "ozin";
  LoggerGraphFrame f = Paint(*m);
  EXPECT_TRUE(HasText(f.surface.list, "ozin", {210, 40}));
  EXPECT_TRUE(HasText(f.surface.list, "2", {237, 37}));
  EXPECT_TRUE(HasText(f.surface.list, "kPa", {25, 40}));
  f = Paint(*m);
  EXPECT_TRUE(HasText(f.surface.list, "kPa", {210, 40}));
  EXPECT_FALSE(HasText(f.surface.list, "2", {237, 37}));
}

}  // namespace
}  // namespace pv
