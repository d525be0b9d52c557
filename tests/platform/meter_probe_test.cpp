// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/meter_probe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

namespace pv {
namespace {

namespace fs = std::filesystem;

TEST(StableNames, MapEachDeviceToItsLinkAndLeaveOutWhatIsNoLink) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  fs::create_directories(root / "dev" / "serial" / "by-id");
  for (const char* device : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) std::ofstream(root / "dev" / device) << "";
  const fs::path byId = root / "dev" / "serial" / "by-id";
  struct Link {
    const char* name;
    fs::path target;
  };
  const Link links[] = {
      {"usb-FTDI_A1-if00-port0", "../../ttyUSB0"},           // relative, as udev makes them
      {"usb-Prolific_B2-if00-port0", root / "dev" / "ttyUSB1"},  // absolute
      {"usb-Gone_C3-if00", "../../ttyUSB9"},                  // dangling: the device went
  };
  for (const Link& l : links) fs::create_symlink(l.target, byId / l.name);
  std::ofstream(byId / "not-a-link") << "";

  const auto names = StableNames(byId.string());
  const std::map<std::string, std::string> expected{
      {(root / "dev" / "ttyUSB0").string(), (byId / "usb-FTDI_A1-if00-port0").string()},
      {(root / "dev" / "ttyUSB1").string(), (byId / "usb-Prolific_B2-if00-port0").string()},
  };
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(StableNames((root / "missing").string()).empty());
}

TEST(ListSerialDevices, GivenPathsAreListedOnceWithTheirStableName) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  const fs::path device = root / "ttyFAKE0";
  std::ofstream(device) << "";
  fs::create_directories(root / "by-id");
  fs::create_symlink(device, root / "by-id" / "usb-Fake_1");
  const auto devices =
      ListSerialDevices({device.string(), (root / "by-id" / "usb-Fake_1").string(), device.string()},
                        (root / "by-id").string());
  int seen = 0;
  for (const SerialDevice& d : devices) {
    if (d.path != device.string()) continue;
    ++seen;
    EXPECT_EQ(d.stableName, (root / "by-id" / "usb-Fake_1").string());
    EXPECT_FALSE(d.busy);
  }
  EXPECT_EQ(seen, 1);
}

}  // namespace
}  // namespace pv

namespace pv {
namespace {

TEST(MeterChoices, OfferOnlyMetersUnderTheirStableNameWhenTheyHaveOne) {
  QTemporaryDir dir;
  const std::string real = (dir.path() + QStringLiteral("/ttyUSB3")).toStdString();
  std::ofstream(real) << "";
  const std::string link = (dir.path() + QStringLiteral("/meter")).toStdString();
  fs::create_symlink(real, link);
  const std::map<std::string, std::string> stable{
      {"/dev/ttyUSB0", "/dev/serial/by-id/usb-A"},
      {real, "/dev/serial/by-id/usb-C"},
  };
  struct Case {
    ProbeResult result;
    const char* name;  // nullptr: not offered
  };
  const Case cases[] = {
      {{"/dev/ttyUSB0", ProbeOutcome::Meter, ""}, "/dev/serial/by-id/usb-A"},
      {{"/dev/ttyUSB1", ProbeOutcome::Meter, ""}, "/dev/ttyUSB1"},  // no stable name: the path
      {{link, ProbeOutcome::Meter, ""}, "/dev/serial/by-id/usb-C"},  // a link to a device that has one
      {{"/dev/ttyUSB0", ProbeOutcome::NotMeter, ""}, nullptr},
      {{"/dev/ttyUSB0", ProbeOutcome::Busy, ""}, nullptr},
      {{"/dev/ttyUSB0", ProbeOutcome::CannotOpen, "Permission denied"}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result.path);
    const auto choices = MeterChoices({c.result}, stable);
    if (!c.name) {
      EXPECT_TRUE(choices.empty());
      continue;
    }
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].device, c.result.path);
    EXPECT_EQ(choices[0].name, c.name);
  }
}

}  // namespace
}  // namespace pv
