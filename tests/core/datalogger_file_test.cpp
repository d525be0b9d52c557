// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/datalogger_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>

#include "run_fixture.h"

namespace pv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DataLoggerFile, OneSampleRunIsByteExact) {
  auto m = test::MakeRun(1);
  test::PutSample(*m, 0, {-12.5f, "-12.50", 6});  // kPa
  const Bytes file = EncodeDataLoggerFile(*m);
  ASSERT_EQ(file.size(), 4u + 1 + 9 + 9 + (1 + 3) + 16 + 15);

  const std::uint32_t fullScale = std::bit_cast<std::uint32_t>(kUnits[6].fullScale);
  const Bytes expected = {
      1,
      0,
      0,
      0,  // count
      0,  // header
      8,
      '1',
      '0',
      ':',
      '2',
      '2',
      ':',
      '0',
      '5',  // start
      8,
      '1',
      '0',
      ':',
      '2',
      '2',
      ':',
      '0',
      '5',  // end
      3,
      'k',
      'P',
      'a',  // unit of the last sample
      10,
      0,
      0,
      0,
      22,
      0,
      0,
      0,
      5,
      0,
      0,
      0,  // start hour, minute, second
      0xE8,
      0x03,
      0,
      0,  // 1000 ms
      0x00,
      0x00,
      0x48,
      0xC1,  // -12.5
      static_cast<std::uint8_t>(fullScale),
      static_cast<std::uint8_t>(fullScale >> 8),
      static_cast<std::uint8_t>(fullScale >> 16),
      static_cast<std::uint8_t>(fullScale >> 24),
      '-',
      '1',
      '2',
      '.',
      '5',
      '0',  // text
      6,    // unit code
  };
  EXPECT_EQ(file, expected);
}

TEST(DataLoggerFile, EmptyRunHasAnEmptyUnitAndLoads) {
  auto m = test::MakeRun(0);
  const Bytes file = EncodeDataLoggerFile(*m);
  EXPECT_EQ(file.size(), 4u + 1 + 9 + 1 + 1 + 16);
  auto loaded = DecodeDataLoggerFile(file);
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(loaded.value().store.recordCount, 0);
  EXPECT_TRUE(loaded.value().store.loaded);
}

TEST(DataLoggerFile, FullRunSurvivesARoundTripBitForBit) {
  auto m = test::MakeRun(kMaxSamples, 7);
  std::mt19937 random(42);
  for (int i = 0; i < kMaxSamples; ++i) {
    // Any bit pattern, NaN payloads included, must come back unchanged.
    m->store.values[i] = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    m->store.fullScaleAt[i] = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    for (char& c : m->store.texts[i]) c = static_cast<char>(random());
    m->store.unitAt[i] = static_cast<std::uint8_t>(random() % kUnitCount);
  }
  m->store.unitNameAt[kMaxSamples - 1] = "inH2O";
  m->run.endText = "13:43:31";
  const Bytes file = EncodeDataLoggerFile(*m);
  EXPECT_EQ(file.size(), 4u + 1 + 9 + 9 + 6 + 16 + 15u * kMaxSamples);

  auto loaded = DecodeDataLoggerFile(file);
  ASSERT_TRUE(loaded) << loaded.error().message;
  const LoggerStore& s = loaded.value().store;
  EXPECT_EQ(loaded.value().trailingBytes, 0u);
  EXPECT_EQ(s.recordCount, kMaxSamples);
  EXPECT_EQ(s.header, "");
  EXPECT_EQ(s.startText, "10:22:05");
  EXPECT_EQ(s.endText, "13:43:31");
  EXPECT_EQ(s.unitName, "inH2O");
  EXPECT_EQ(std::vector<int>({s.startHour, s.startMinute, s.startSecond, s.intervalMs}),
            std::vector<int>({10, 22, 5, 7000}));
  const std::size_t n = kMaxSamples;
  EXPECT_EQ(std::memcmp(s.values.data(), m->store.values.data(), 4 * n), 0);
  EXPECT_EQ(std::memcmp(s.fullScaleAt.data(), m->store.fullScaleAt.data(), 4 * n), 0);
  EXPECT_EQ(std::memcmp(s.texts.data(), m->store.texts.data(), 6 * n), 0);
  EXPECT_EQ(std::memcmp(s.unitAt.data(), m->store.unitAt.data(), n), 0);
}

Bytes ValidFile(int samples) {
  auto m = test::MakeRun(samples);
  return EncodeDataLoggerFile(*m);
}

void PutInt32(Bytes& b, std::size_t at, std::int32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * k));
}

TEST(DataLoggerFile, HostileFilesAreRejectedWithFieldAndOffset) {
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"negative count", [](Bytes& b) { PutInt32(b, 0, -1); },
       "sample count at offset 0: -1 is outside 0..17280 records"},
      {"count beyond capacity", [](Bytes& b) { PutInt32(b, 0, 17281); },
       "sample count at offset 0: 17281 is outside 0..17280 records"},
      {"count larger than the file", [](Bytes& b) { PutInt32(b, 0, 17280); },
       "values at offset 43: the file ends after 73 bytes, 69120 more needed from offset 43"},
      {"huge header length",
       [](Bytes& b) {
         b[4] = 0xFF;
         b.insert(b.begin() + 5, {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40});
       },
       "header text at offset 4: text length 1073741824 exceeds the 65535 characters a data file can hold"},
      {"unit code outside the table", [](Bytes& b) { b[b.size() - 1] = 11; },
       "unit code of record 2 at offset 72: 11 is not a unit code (0..10)"},
  };
  for (const auto& c : cases) {
    Bytes file = ValidFile(2);
    c.damage(file);
    auto loaded = DecodeDataLoggerFile(file);
    ASSERT_FALSE(loaded) << c.what;
    EXPECT_EQ(loaded.error().message, c.message) << c.what;
  }
}

TEST(DataLoggerFile, EveryTruncationIsAnErrorNamingTheCutField) {
  const Bytes file = ValidFile(2);
  ASSERT_EQ(file.size(), 73u);
  // Field boundaries of a two-sample psi run: where each field starts.
  const std::vector<std::pair<std::size_t, std::string>> fields = {
      {0, "sample count"},     {4, "header text"}, {5, "start time"},         {14, "end time"},
      {23, "unit name"},       {27, "start hour"}, {31, "start minute"},      {35, "start second"},
      {39, "sample interval"}, {43, "values"},     {51, "full-scale values"}, {59, "reading texts"},
      {71, "unit codes"},
  };
  for (std::size_t cut = 0; cut < file.size(); ++cut) {
    auto loaded = DecodeDataLoggerFile(std::span(file).first(cut));
    ASSERT_FALSE(loaded) << cut;
    std::size_t field = 0;
    while (field + 1 < fields.size() && fields[field + 1].first <= cut) ++field;
    const std::string& message = loaded.error().message;
    EXPECT_EQ(
        message.rfind(fields[field].second + " at offset " + std::to_string(fields[field].first) + ":", 0),
        0u)
        << cut << ": " << message;
  }
}

TEST(DataLoggerFile, TrailingBytesAreIgnoredButCounted) {
  Bytes file = ValidFile(2);
  file.insert(file.end(), {1, 2, 3});
  auto loaded = DecodeDataLoggerFile(file);
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(loaded.value().trailingBytes, 3u);
  EXPECT_EQ(loaded.value().store.recordCount, 2);
}

TEST(DataLoggerFile, AFailedLoadLeavesTheShownStoreAlone) {
  AppModel model;
  auto good = DecodeDataLoggerFile(ValidFile(3));
  ASSERT_TRUE(good);
  AdoptLoggerFile(model.logger, std::move(good).value());
  EXPECT_EQ(model.logger.recordCount, 3);

  Bytes bad = ValidFile(2);
  bad.pop_back();
  auto loaded = DecodeDataLoggerFile(bad);
  ASSERT_FALSE(loaded);
  EXPECT_EQ(model.logger.recordCount, 3);
  EXPECT_TRUE(model.logger.loaded);

  auto missing = LoadDataLoggerFile("/nonexistent/run.KvtDat");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().message, "/nonexistent/run.KvtDat: cannot open: No such file or directory");
}

}  // namespace
}  // namespace pv
