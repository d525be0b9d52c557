// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_hold_window.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

// Five records 30 s apart from 10:00:00 (10:00:00 ... 10:02:00), unless a case says.
TEST(LoggerHoldWindow, TypedTimesChooseTheSamplesBetweenThem) {
  struct Case {
    const char* name;
    const char* from;
    const char* to;
    std::optional<RecordSpan> span;
    const char* problem;  // how the refusal begins
    int startHour = 10, startMinute = 0, intervalMs = 30000;
  };
  const Case cases[] = {
      {"blank: the whole file", "", "", RecordSpan{0, 4}, ""},
      {"between samples: the first after, the last before", "10:00:31", "10:01:59", RecordSpan{2, 3}, ""},
      {"seconds from the start", "30", " 90 ", RecordSpan{1, 3}, ""},
      {"an hour of one digit", "9:59:30", "", RecordSpan{3, 4}, "", 9, 58},
      {"an end after the file", "10:01:00", "11:00:00", RecordSpan{2, 4}, ""},
      {"across midnight", "00:00:30", "", RecordSpan{3, 4}, "", 23, 59},
      {"a time before the start is tomorrow's", "09:59:00", "", {}, "the window starts after"},
      {"an end before the start", "10:01:30", "10:00:30", {}, "the window holds no sample"},
      {"minutes of one digit", "10:1:00", "", {}, "the start needs"},
      {"a negative offset", "-30", "", {}, "the start needs"},
      {"an hour past 23", "10:00:00", "24:00:00", {}, "the end needs"},
      {"an interval below a second", "10:00:30", "", {}, "the file's sample interval", 10, 0, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerStore store;
    store.recordCount = 5;
    store.intervalMs = c.intervalMs;
    store.startHour = c.startHour;
    store.startMinute = c.startMinute;
    std::string problem;
    EXPECT_EQ(LoggerSpanOfTimes(store, c.from, c.to, &problem), c.span);
    EXPECT_EQ(problem.substr(0, std::string(c.problem).size()), c.problem);
  }
}

}  // namespace
}  // namespace pv
