// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/stream_line.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "live_fixtures.h"

namespace pv {
namespace {

using namespace test;

// The line a frame gives once ingested, in either format.
std::string LineOf(const std::vector<std::uint8_t>& block, StreamFormat format) {
  AppModel m;
  const Decoded frame = IngestBlock(m, block, 1000, NullObserver());
  const auto reading = StreamReadingOf(m, frame);
  return reading ? StreamLine(format, *reading, "T") : "(none)";
}

TEST(StreamLine, EachFrameGivesOneLineInEitherFormat) {
  struct Case {
    std::vector<std::uint8_t> block;
    const char* csv;
    const char* jsonl;
  };
  const Case cases[] = {
      {ReadingBytes(kPsi, 0, 0, "1.234"), "T,1.234,psi,+1.234,,\n",
       R"({"time":"T","value":1.234,"unit":"psi","reading":"+1.234","flags":[]})"
       "\n"},
      {ReadingBytes(kMbar, 0, kNegative, "123.4"), "T,-123.4,mbar,-123.4,,\n",
       R"({"time":"T","value":-123.4,"unit":"mbar","reading":"-123.4","flags":[]})"
       "\n"},
      {ReadingBytes(kPsi, 2, kDif, "0.500"), "T,0.500,psi,+0.500,DIF REC,\n",
       R"({"time":"T","value":0.500,"unit":"psi","reading":"+0.500","flags":["DIF","REC"]})"
       "\n"},
      {ReadingBytes(kPsi, 1, kHold | kDif, "0.500"), "T,0.500,psi,+0.500,HOLD DIF REC,\n",
       R"({"time":"T","value":0.500,"unit":"psi","reading":"+0.500","flags":["HOLD","DIF","REC"]})"
       "\n"},
      // A garbled text stays on its line and inside its quotes.
      {ReadingBytes(kPsi, 0, 0, "1,\"\n\xff"), "T,1.000,psi,\"+1,\"\"??\",,\n",
       R"({"time":"T","value":1.000,"unit":"psi","reading":"+1,\"??","flags":[]})"
       "\n"},
      {ErrorBytes(0x10), "T,,,,,ERR1\n", R"({"time":"T","error":"ERR1"})"
                                         "\n"},
      {ErrorBytes(0x13), "T,,,,,ERR4\n", R"({"time":"T","error":"ERR4"})"
                                         "\n"},
      {ErrorBytes(0x42), "T,,,,,ERR?\n", R"({"time":"T","error":"ERR?"})"
                                         "\n"},
      {{0x01, 0x02, 0x03}, "(none)", "(none)"},
      {{0xAA, 0x56, 2}, "(none)", "(none)"},  // too short for its frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.csv);
    EXPECT_EQ(LineOf(c.block, StreamFormat::Csv), c.csv);
    EXPECT_EQ(LineOf(c.block, StreamFormat::JsonLines), c.jsonl);
  }
  EXPECT_EQ(StreamHeader(StreamFormat::Csv), "time,value,unit,reading,flags,error\n");
  EXPECT_EQ(StreamHeader(StreamFormat::JsonLines), "");
}

TEST(StreamLine, TimeIsLocalIsoWithMillisecondsAndTheOffset) {
  const char* old = getenv("TZ");
  const std::string saved = old ? old : "";
  struct Case {
    const char* zone;
    long long ms;
    const char* text;
  };
  const Case cases[] = {
      {"UTC0", 125, "1970-01-01T00:00:00.125+00:00"},
      {"CET-1", 1000 * 86400 + 7, "1970-01-02T01:00:00.007+01:00"},
      {"NST+3:30", 999, "1969-12-31T20:30:00.999-03:30"},
      {"UTC0", -1, "1969-12-31T23:59:59.999+00:00"},
  };
  for (const Case& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    const auto t = std::chrono::system_clock::time_point(std::chrono::milliseconds(c.ms));
    EXPECT_EQ(IsoLocalTime(t), c.text) << c.zone;
  }
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace pv
