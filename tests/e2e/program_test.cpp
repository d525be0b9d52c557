#include <gtest/gtest.h>

#include "e2e_support.h"
#include "sim/pty_meter.h"

namespace pv::e2e {
namespace {

TEST(Program, GreetsTheMeterShowsItsReadingsAndSaysGoodbyeOnClose) {
  PtyMeter meter;
  ASSERT_TRUE(meter.start()) << meter.errorString();
  Program program;
  program.start(Binary("pneuvista"), {QStringLiteral("--device"), QString::fromStdString(meter.devicePath()),
                                      QStringLiteral("--trace")});
  ASSERT_TRUE(WaitFor([&] { return meter.model().commandCount(Command::Connect) >= 3; }, 15000))
      << program.err.toStdString();
  EXPECT_EQ(meter.model().commandLog(), std::vector<std::uint8_t>(3, 0x01));
  ASSERT_TRUE(WaitFor([&] { return program.count("reading +") + program.count("reading -") >= 3; }, 10000))
      << program.err.toStdString();
  meter.model().clearCommandLog();
  EXPECT_EQ(program.terminate(), 0) << program.err.toStdString();
  // EXIT three times, then DISCONNECT six times.
  ASSERT_TRUE(WaitFor([&] { return meter.model().commandLog().size() >= 9; }, 5000));
  std::vector<std::uint8_t> expected(3, 0x12);
  expected.insert(expected.end(), 6, 0x02);
  EXPECT_EQ(meter.model().commandLog(), expected);
}

TEST(Program, DemoRunsTheSimulatedMeterAndClosesCleanly) {
  Program program;
  program.start(Binary("pneuvista"), {QStringLiteral("--demo"), QStringLiteral("--trace")});
  ASSERT_TRUE(WaitFor([&] { return program.count("meter received 01") >= 3 && program.count("reading ") >= 2; },
                      15000))
      << program.err.toStdString();
  EXPECT_EQ(program.terminate(), 0) << program.err.toStdString();
}

TEST(Program, WrongUsageExitsWithStatusTwo) {
  Program program;
  program.start(Binary("pneuvista"), {QStringLiteral("--bogus")});
  ASSERT_TRUE(program.process.waitForFinished(15000));
  EXPECT_EQ(program.process.exitCode(), 2);
}

}  // namespace
}  // namespace pv::e2e
