// SPDX-License-Identifier: GPL-3.0-or-later
// The windows of a loaded file that the Graph window's hold test judges: the span the
// zoomed graph shows and the span between two typed times.
#include "logger/logger_hold_window.h"

#include <gtest/gtest.h>

#include <memory>

namespace pv {
namespace {

LoggerStore Records(int count, int intervalMs, int hour, int minute, int second) {
  LoggerStore s;
  s.recordCount = count;
  s.intervalMs = intervalMs;
  s.startHour = hour;
  s.startMinute = minute;
  s.startSecond = second;
  return s;
}

// Five records 30 s apart from 10:00:00 (10:00:00 ... 10:02:00), unless a case says.
TEST(LoggerHoldWindow, TypedTimesChooseTheSamplesBetweenThem) {
  struct Case {
    const char* name;
    const char* from;
    const char* to;
    int first, last;      // -1: refused
    const char* problem;  // how the refusal begins
    int startHour = 10, startMinute = 0, intervalMs = 30000;
  };
  const Case cases[] = {
      {"blank: the whole file", "", "", 0, 4, ""},
      {"times of day on samples", "10:00:30", "10:01:30", 1, 3, ""},
      {"between samples: the first after, the last before", "10:00:31", "10:01:59", 2, 3, ""},
      {"seconds from the start", "30", " 90 ", 1, 3, ""},
      {"no end: to the last sample", "10:01:00", "", 2, 4, ""},
      {"an hour of one digit", "9:59:30", "", 3, 4, "", 9, 58},
      {"an end after the file", "10:01:00", "11:00:00", 2, 4, ""},
      {"across midnight", "00:00:30", "", 3, 4, "", 23, 59},
      {"a time before the start is tomorrow's", "09:59:00", "", -1, -1, "the window starts after"},
      {"an end before the start", "10:01:30", "10:00:30", -1, -1, "the window holds no sample"},
      {"a start that is no time", "ten", "", -1, -1, "the start needs"},
      {"an hour past 23", "10:00:00", "24:00:00", -1, -1, "the end needs"},
      {"minutes of one digit", "10:1:00", "", -1, -1, "the start needs"},
      {"a negative offset", "-30", "", -1, -1, "the start needs"},
      {"an interval below a second", "10:00:30", "", -1, -1, "the file's sample interval", 10, 0, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LoggerStore store = Records(5, c.intervalMs, c.startHour, c.startMinute, 0);
    std::string problem;
    const std::optional<RecordSpan> span = LoggerSpanOfTimes(store, c.from, c.to, &problem);
    EXPECT_EQ(span ? span->first : -1, c.first);
    EXPECT_EQ(span ? span->last : -1, c.last);
    EXPECT_EQ(problem.substr(0, std::string(c.problem).size()), c.problem);
  }
}

// Ten records drawn 20 pixels apart from x = 50 at zoom level 1, over a plot from 100 to
// 200: the records at 110 ... 190 are in view.
TEST(LoggerHoldWindow, TheZoomedSpanIsTheRecordsAcrossThePlot) {
  struct Case {
    const char* name;
    bool fullView;
    int shift;
    float firstX;  // where position 0 lies
    std::optional<RecordSpan> span;
  };
  const Case cases[] = {
      {"zoomed", false, 0, 50.0f, RecordSpan{3, 7}},
      {"scrolled: record i lies at position i + 2", false, 2, 50.0f, RecordSpan{1, 5}},
      {"a record on the plot's edges is in view", false, 0, 100.0f, RecordSpan{0, 5}},
      {"the full view is the whole file, not a span", true, 0, 50.0f, std::nullopt},
      {"nothing in view", false, 0, 300.0f, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = std::make_unique<AppModel>();
    m->logger.recordCount = 10;
    LoggerGraphState& g = m->loggerGraph;
    g.fullView = c.fullView;
    g.zoomLevel = 1;
    g.scrollShift = c.shift;
    g.plotLeft = 100.0f;
    g.plotRight = 200.0f;
    g.plotTop = 50.0f;
    g.plotBottom = 150.0f;
    for (int i = 0; i < 12; ++i) g.levels.posX(1)[i] = c.firstX + 20.0f * static_cast<float>(i);
    EXPECT_EQ(LoggerZoomedSpan(*m), c.span);
  }
}

}  // namespace
}  // namespace pv
