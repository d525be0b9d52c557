// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated meter: the frames it sends and the commands it obeys.
#include "sim/meter_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

std::vector<std::uint8_t> Frames(std::initializer_list<Command> commands) {
  std::vector<std::uint8_t> bytes;
  for (const auto c : commands) {
    for (const std::uint8_t b : CommandFrame(c)) bytes.push_back(b);
  }
  return bytes;
}

void Send(MeterModel& m, Command c, double now, int times = 1) {
  for (int i = 0; i < times; ++i) m.handleCommandBytes(CommandFrame(c), now);
}

// A meter whose pressure stands still, so frames have known contents.
MeterModel SteadyMeter(float psi) {
  MeterModel m;
  m.setCurve(psi, 0.0f, 10.0, 0.0f);
  return m;
}

Reading DecodeReading(const MeterFrame& f) {
  const Decoded d = DecodeBlock(f);
  EXPECT_TRUE(std::holds_alternative<Reading>(d));
  return std::holds_alternative<Reading>(d) ? std::get<Reading>(d) : Reading{};
}

double ValueOf(const Reading& r) {
  std::string text(1, r.negative() ? '-' : '+');
  text.append(r.magnitude.begin(), r.magnitude.end());
  return ParseLeadingNumber(text);
}

TEST(MeterModel, MagnitudeFitsFiveCharactersAtTheUnitsResolution) {
  struct Case {
    float magnitude;
    int unit;
    const char* text;
  } cases[] = {
      {1.234f, 2, "1.234"},   {12.345f, 2, "12.34"}, {12.34f, 6, "12.34"},  {123.45f, 4, "123.4"},
      {0.3f, 4, "000.3"},     {3585.9f, 4, "03585"}, {0.0f, 2, "0.000"},    {832.0f, 1, "832.0"},
      {1438.31f, 8, "01438"}, {0.0625f, 1, "00.06"}, {2.999f, 0, "2.999"},  {-4.5f, 3, "4.500"},
      {1e9f, 2, "99999"},     {NAN, 2, "99999"},     {99.999f, 9, "99.99"}, {9.9999f, 7, "9.999"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MeterModel::FormatMagnitude(c.magnitude, c.unit), c.text) << c.magnitude << " unit " << c.unit;
}

TEST(MeterModel, EveryUnitsReadingDecodesToThePressureInThatUnit) {
  for (int unit = 0; unit < kUnitCount; ++unit) {
    MeterModel m = SteadyMeter(3.0f);
    m.setUnit(unit);
    MeterFrame f;
    ASSERT_TRUE(m.nextFrame(1.0, f));
    EXPECT_EQ(f[0], 0xAA);
    EXPECT_EQ(f[1], 0x56);
    EXPECT_EQ(f[10], 0x00);
    const Reading r = DecodeReading(f);
    EXPECT_EQ(r.unit, unit);
    EXPECT_TRUE(r.plain());
    EXPECT_FALSE(r.negative());
    const double expected = 3.0f / kUnits[unit].toPsi;  // the meter computes in single precision
    // Truncated to the unit's resolution, or to whole units where the digits ran out.
    EXPECT_LE(ValueOf(r), expected * (1 + 1e-6)) << kUnits[unit].name;
    EXPECT_GT(ValueOf(r), expected - 1.0) << kUnits[unit].name;
    EXPECT_NEAR(ValueOf(r), expected, expected >= 1000 ? 1.0 : 1.0 / kUnits[unit].resolution + 1e-6)
        << kUnits[unit].name;
  }
}

TEST(MeterModel, TheCurveStaysInRangeAndEveryFrameDecodes) {
  MeterModel m(42);
  for (int i = 0; i < 2000; ++i) {
    if (i % 200 == 0) Send(m, Command::Units, i);
    MeterFrame f;
    ASSERT_TRUE(m.nextFrame(i * 0.5, f));
    const Reading r = DecodeReading(f);
    EXPECT_GT(ValueOf(r) * kUnits[r.unit].toPsi, 0.5);
    EXPECT_LT(ValueOf(r) * kUnits[r.unit].toPsi, 5.5);
  }
}

TEST(MeterModel, CommandsAreFoundInSplitJoinedAndNoisyInput) {
  MeterModel m = SteadyMeter(2.0f);
  std::vector<std::uint8_t> bytes = {0x00, 0x55};  // noise, then a prefix byte that leads nowhere
  for (const auto b : Frames({Command::Hold, Command::Dif, Command::Rec})) bytes.push_back(b);
  // One byte at a time: every split point.
  std::vector<std::uint8_t> seen;
  for (const auto b : bytes)
    for (const auto code : m.handleCommandBytes(std::span(&b, 1), 0.0)) seen.push_back(code);
  EXPECT_EQ(seen, (std::vector<std::uint8_t>{0x05, 0x0F, 0x07}));
  EXPECT_TRUE(m.hold());
  EXPECT_TRUE(m.dif());
  EXPECT_EQ(m.rec(), 1);

  // Three frames joined in one read, preceded by a lone 0x55 0x55.
  std::vector<std::uint8_t> joined = {0x55};
  for (const auto b : Frames({Command::Unhold, Command::Undif, Command::Unrec})) joined.push_back(b);
  EXPECT_EQ(m.handleCommandBytes(joined, 1.0), (std::vector<std::uint8_t>{0x06, 0x10, 0x08}));
  EXPECT_EQ(m.status(), 0);
  EXPECT_EQ(m.rec(), 0);
}

TEST(MeterModel, StatusBitsFollowHoldDifRecAndBattery) {
  struct Case {
    std::vector<Command> commands;
    std::uint8_t status;
    std::uint8_t rec;
  } cases[] = {
      {{}, 0x00, 0},
      {{Command::Hold}, 0x20, 0},
      {{Command::Dif}, 0x02, 0},
      {{Command::Hold, Command::Dif}, 0x22, 0},
      {{Command::Hold, Command::Unhold}, 0x00, 0},
      {{Command::Dif, Command::Undif}, 0x00, 0},
      {{Command::Rec}, 0x00, 1},
      {{Command::Rec, Command::Unrec}, 0x00, 0},
      {{Command::Light, Command::Zero, Command::Run, Command::Exit}, 0x00, 0},
  };
  for (const auto& c : cases) {
    MeterModel m = SteadyMeter(2.0f);
    double t = 0;
    for (const auto cmd : c.commands) Send(m, cmd, t += 1.0, 6);
    MeterFrame f;
    ASSERT_TRUE(m.nextFrame(t + 1.0, f));
    EXPECT_EQ(f[4] & ~kStatusNegative, c.status);
    EXPECT_EQ(f[3], c.rec);
    m.setBatteryLow(true);
    ASSERT_TRUE(m.nextFrame(t + 2.0, f));
    EXPECT_TRUE(DecodeReading(f).batteryLow());
  }
}

TEST(MeterModel, UnitsStepsOncePerKeyPressThroughAllElevenUnits) {
  MeterModel m = SteadyMeter(3.0f);
  std::vector<int> units;
  for (int press = 0; press < kUnitCount; ++press) {
    Send(m, Command::Units, press * 1.0, 6);  // one key press is six frames
    units.push_back(m.unit());
  }
  EXPECT_EQ(units, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 0, 1, 2}));
  EXPECT_EQ(m.commandCount(Command::Units), 6 * kUnitCount);
}

TEST(MeterModel, HoldFreezesTheReadingAcrossTimeAndUnitChanges) {
  MeterModel m;
  m.setCurve(3.0f, 1.5f, 20.0, 0.0f);
  Send(m, Command::Hold, 5.0, 6);  // the peak of the sine: 4.5 psi
  MeterFrame f;
  ASSERT_TRUE(m.nextFrame(15.0, f));
  EXPECT_EQ(MeterModel::FormatMagnitude(4.5f, kUnitPsi), std::string(f.begin() + 5, f.begin() + 10));
  Send(m, Command::Units, 16.0, 6);  // inHg
  ASSERT_TRUE(m.nextFrame(17.0, f));
  const Reading r = DecodeReading(f);
  EXPECT_EQ(r.unit, 3);
  EXPECT_NEAR(ValueOf(r), 4.5 / kUnits[3].toPsi, 0.001);
}

TEST(MeterModel, DifReadsAgainstTheReferenceAndShowsFallsAsNegative) {
  MeterModel m;
  m.setCurve(3.0f, 1.5f, 20.0, 0.0f);
  Send(m, Command::Dif, 5.0, 6);  // reference 4.5 psi
  MeterFrame f;
  ASSERT_TRUE(m.nextFrame(10.0, f));  // 3.0 psi now
  const Reading r = DecodeReading(f);
  EXPECT_EQ(r.mode(), kStatusRelative);
  EXPECT_TRUE(r.negative());
  EXPECT_NEAR(ValueOf(r), -1.5, 0.002);
}

TEST(MeterModel, ZeroMakesThePresentPressureRead0) {
  MeterModel m = SteadyMeter(3.0f);
  Send(m, Command::Zero, 1.0, 6);
  MeterFrame f;
  ASSERT_TRUE(m.nextFrame(2.0, f));
  EXPECT_EQ(std::string(f.begin() + 5, f.begin() + 10), "0.000");
  EXPECT_FLOAT_EQ(m.zeroOffsetPsi(), 3.0f);
}

TEST(MeterModel, PowerOffAndDisconnectSilenceUntilConnect) {
  for (const Command off : {Command::PowerOff, Command::Disconnect}) {
    MeterModel m = SteadyMeter(2.0f);
    MeterFrame f;
    Send(m, off, 1.0, 3);
    EXPECT_FALSE(m.nextFrame(2.0, f));
    Send(m, Command::Hold, 3.0, 6);  // keys of a meter that is off do nothing
    EXPECT_FALSE(m.hold());
    Send(m, Command::Connect, 4.0, 3);
    ASSERT_TRUE(m.nextFrame(5.0, f));
    EXPECT_TRUE(DecodeReading(f).plain());
  }
}

TEST(MeterModel, OverRangeSendsTheErrorFrames) {
  struct Case {
    float psi;
    bool dif;
    int err;
  } cases[] = {{60.0f, false, 1}, {-60.0f, false, 2}};
  for (const auto& c : cases) {
    MeterModel m = SteadyMeter(c.psi);
    MeterFrame f;
    ASSERT_TRUE(m.nextFrame(1.0, f));
    const Decoded d = DecodeBlock(f);
    ASSERT_TRUE(std::holds_alternative<MeterError>(d));
    EXPECT_EQ(std::get<MeterError>(d).number(), c.err);
  }
  // In DIF the same limits are ERR3 and ERR4.
  MeterModel m;
  m.setCurve(0.0f, 60.0f, 4.0, 0.0f);
  Send(m, Command::Dif, 0.0, 6);
  MeterFrame f;
  ASSERT_TRUE(m.nextFrame(1.0, f));
  EXPECT_EQ(std::get<MeterError>(DecodeBlock(f)).number(), 3);
  ASSERT_TRUE(m.nextFrame(3.0, f));
  EXPECT_EQ(std::get<MeterError>(DecodeBlock(f)).number(), 4);
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(std::get<MeterError>(DecodeBlock(MeterModel::ErrorFrame(0x0F + n))).number(), n);
}

TEST(MeterModel, CommandLogKeepsEveryCodeInOrder) {
  MeterModel m;
  Send(m, Command::Connect, 0.0, 3);
  Send(m, Command::Run, 1.0, 3);
  const std::uint8_t unknown[] = {0x55, 0xAA, 0x04};
  m.handleCommandBytes(unknown, 2.0);
  EXPECT_EQ(m.commandRuns(), (std::vector<CommandRun>{{0x01, 3}, {0x11, 3}, {0x04, 1}}));
  EXPECT_EQ(CommandName(0x01), "CONNECT");
  EXPECT_EQ(CommandName(0x04), "0x04");
}

TEST(MeterModel, HostileInputNeverActsAsACommandWithoutItsPrefix) {
  MeterModel m;
  std::vector<std::uint8_t> noise;
  std::uint32_t x = 7;
  for (int i = 0; i < 100000; ++i) {
    x = x * 1664525u + 1013904223u;
    const auto b = static_cast<std::uint8_t>(x >> 24);
    noise.push_back(b == 0x55 ? 0x54 : b);
  }
  EXPECT_TRUE(m.handleCommandBytes(noise, 0.0).empty());
  EXPECT_TRUE(m.commandLog().empty());
}

}  // namespace
}  // namespace pv
