// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "link/frame.h"
#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

std::vector<std::uint8_t> ReadingBlock(std::uint8_t unit, std::uint8_t rec, std::uint8_t status,
                                       const char* magnitude) {
  std::vector<std::uint8_t> b{0xAA, 0x56, unit, rec, status};
  for (int i = 0; i < 5; ++i) b.push_back(static_cast<std::uint8_t>(magnitude[i]));
  b.push_back(0x00);
  return b;
}

TEST(Decoder, RecognisesOnlyTheFirstFrameOfABlock) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> block;
    int kind;  // 0 nothing, 1 reading, 2 error
  };
  auto two = ReadingBlock(2, 0, 0, "1.234");
  auto second = ReadingBlock(4, 0, 0, "12.34");
  two.insert(two.end(), second.begin(), second.end());
  const auto whole = ReadingBlock(2, 0, 0, "1.234");
  const std::vector<std::uint8_t> shifted(whole.begin() + 1, whole.end());
  const std::vector<Case> cases = {
      {"one reading", ReadingBlock(2, 0, 0, "1.234"), 1},
      {"two readings in one block", two, 1},
      {"block starting at 0x56", shifted, 0},
      {"error frame", {0xAA, 0x57, 0x11, 0, 0, 0, 0, 0, 0, 0, 0}, 2},
      {"error frame of three bytes", {0xAA, 0x57, 0x10}, 2},
      {"other frame type", {0xAA, 0x58, 0x02, 0, 0, '1', '.', '2', '3', '4', 0}, 0},
      {"empty block", {}, 0},
      {"header only", {0xAA}, 0},
      {"reading cut before its text ends", {0xAA, 0x56, 0x02, 0, 0, '1', '.', '2', '3'}, 0},
      {"reading without byte 10", {0xAA, 0x56, 0x02, 0, 0, '1', '.', '2', '3', '4'}, 1},
      {"garbage", {0x00, 0xAA, 0x56, 0x02, 0, 0, '1', '.', '2', '3', '4'}, 0},
  };
  for (const auto& c : cases) {
    Decoded d = DecodeBlock(c.block);
    EXPECT_EQ(static_cast<int>(d.index()), c.kind) << c.what;
  }
  Reading r = std::get<Reading>(DecodeBlock(two));
  EXPECT_EQ(r.unit, 2);
  EXPECT_EQ(std::string(r.magnitude.data(), 5), "1.234");
}

TEST(Decoder, ReadsUnitRecAndStatusBits) {
  struct Case {
    std::uint8_t unit, rec, status;
    bool low, negative, recording, plain;
    std::uint8_t mode;
  };
  const Case cases[] = {
      {2, 0, 0x00, false, false, false, true, 0x00},
      {2, 0, 0x05, true, true, false, true, 0x00},   // battery low, negative, no HOLD, no DIF
      {2, 0, 0x22, false, false, false, false, 0x22},  // HOLD and DIF together
      {2, 0, 0x20, false, false, false, false, 0x20},
      {2, 0, 0x02, false, false, false, false, 0x02},
      {2, 0, 0xD8, false, false, false, true, 0x00},  // bits 3, 4, 6, 7 ignored
      {2, 1, 0x00, false, false, true, false, 0x00},
      {2, 4, 0x00, false, false, true, false, 0x00},
      {2, 5, 0x00, false, false, false, false, 0x00},  // neither REC nor plain
      {11, 0, 0x00, false, false, false, true, 0x00},  // unit 11 decodes; ingestion keeps the unit
  };
  for (const auto& c : cases) {
    Reading r = std::get<Reading>(DecodeBlock(ReadingBlock(c.unit, c.rec, c.status, "0.000")));
    SCOPED_TRACE(testing::Message() << "rec " << int(c.rec) << " status " << int(c.status));
    EXPECT_EQ(r.unit, c.unit);
    EXPECT_EQ(r.batteryLow(), c.low);
    EXPECT_EQ(r.negative(), c.negative);
    EXPECT_EQ(r.recording(), c.recording);
    EXPECT_EQ(r.plain(), c.plain);
    EXPECT_EQ(r.mode(), c.mode);
  }
}

TEST(Decoder, ErrorCodesNameErr1ToErr4) {
  const std::pair<std::uint8_t, int> cases[] = {{0x10, 1}, {0x11, 2}, {0x12, 3}, {0x13, 4}, {0x14, 0}, {0x00, 0}};
  for (auto [code, n] : cases) {
    std::vector<std::uint8_t> b{0xAA, 0x57, code};
    EXPECT_EQ(std::get<MeterError>(DecodeBlock(b)).number(), n) << int(code);
  }
}

TEST(Units, EveryFullScaleIs52PsiAndEveryResolutionAPowerOfTen) {
  for (const auto& u : kUnits) {
    EXPECT_NEAR(u.toPsi * u.fullScale, 52.0, 52.0 * 0.003) << u.name;
    EXPECT_TRUE(u.resolution == 10 || u.resolution == 100 || u.resolution == 1000) << u.name;
  }
}

TEST(ReadingText, LeadingPrefixSemantics) {
  const std::pair<const char*, double> cases[] = {
      {"+1.234", 1.234}, {"-12.34", -12.34}, {"+ 1.23", 0.0}, {"+abc", 0.0},  {"", 0.0},
      {"+1.2x4", 1.2},   {"+.5000", 0.5},    {"  7", 7.0},    {"-0.000", 0.0}, {"+12..3", 12.0},
      {"+1e2", 100.0},
  };
  for (auto [text, value] : cases) EXPECT_DOUBLE_EQ(ParseLeadingNumber(text), value) << text;
}

TEST(FormatSigned6, SignDigitsAndTruncatedDecimals) {
  const std::pair<float, const char*> cases[] = {
      {0.1f * 52.0f, "+5.200"}, {0.0f, " 0.000"},       {-2.6000001f, "-2.600"}, {1.2299f, "+1.229"},
      {358.592f, "+358.5"},     {-358.592f, "-358.5"},  {12.5f, "+12.50"},       {0.0005f, "+0.000"},
      {1234.5f, "+1234."},
  };
  for (auto [v, text] : cases) EXPECT_EQ(FormatSigned6Cut(v), text) << v;
  EXPECT_EQ(FormatSigned6(12.5f), "+12.500");
}

}  // namespace
}  // namespace pv
