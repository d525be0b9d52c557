// SPDX-License-Identifier: GPL-3.0-or-later
// Port numbers to device paths: the default, the [Ports] section and the override.
#include "platform/port_paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "platform/config_file.h"
#include "platform/qt_serial_port.h"

namespace pv {
namespace {

std::string WriteFile(const QTemporaryDir& dir, const std::string& text) {
  const std::string path = dir.filePath(kConfigFileName).toStdString();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(PortPaths, NumbersMapToUsbAdaptersAndBelowOneToNothing) {
  const std::pair<int, const char*> cases[] = {
      {1, "/dev/ttyUSB0"}, {2, "/dev/ttyUSB1"}, {16, "/dev/ttyUSB15"}, {0, ""}, {-3, ""}};
  for (const auto& [n, path] : cases) EXPECT_EQ(DefaultDevicePath(n), path) << n;
}

TEST(PortPaths, PortsSectionMapsNumbersToAnyPath) {
  QTemporaryDir dir;
  const std::string file = WriteFile(dir,
                                     "[COMInfo]\r\n"
                                     "COM num=3\r\n"
                                     "COM1=/dev/not-this-section\r\n"
                                     "[ports]\r\n"
                                     "; the adapter on the bench\r\n"
                                     "COM3 = /dev/serial/by-id/usb-FTDI_meter-if00-port0\r\n"
                                     "com4=\"/dev/ttyS0\"\r\n"
                                     "COM0=/dev/ttyACM0\n"
                                     "COMx=/dev/bad-number\n"
                                     "COM5\n"
                                     "COM6=\n"
                                     "LPT1=/dev/lp0\n"
                                     "[Other]\n"
                                     "COM7=/dev/not-this-either\n");
  const PortPathMap paths = ReadPortPaths(file);
  EXPECT_EQ(paths,
            (PortPathMap{
                {0, "/dev/ttyACM0"}, {3, "/dev/serial/by-id/usb-FTDI_meter-if00-port0"}, {4, "/dev/ttyS0"}}));
  EXPECT_EQ(ResolvePortPath(3, paths), "/dev/serial/by-id/usb-FTDI_meter-if00-port0");
  EXPECT_EQ(ResolvePortPath(0, paths), "/dev/ttyACM0");
  EXPECT_EQ(ResolvePortPath(2, paths), "/dev/ttyUSB1");
}

TEST(PortPaths, MissingOrForeignFilesGiveNoMapping) {
  QTemporaryDir dir;
  EXPECT_TRUE(ReadPortPaths(dir.filePath("absent.ini").toStdString()).empty());
  EXPECT_TRUE(ReadPortPaths(dir.path().toStdString()).empty());  // a folder
  EXPECT_TRUE(ReadPortPaths(WriteFile(dir, std::string("[Ports\0]\nCOM1=\xff\xfe", 17))).empty());
}

TEST(PortPaths, ConfigurationFileLivesInTheUsersConfigFolder) {
  const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
  const QByteArray savedHome = qgetenv("HOME");
  qputenv("XDG_CONFIG_HOME", "/tmp/xdg");
  EXPECT_EQ(ConfigFilePath(), "/tmp/xdg/PNEUVISTAconfig.ini");
  qputenv("XDG_CONFIG_HOME", "");
  qputenv("HOME", "/home/someone");
  EXPECT_EQ(ConfigFilePath(), "/home/someone/.config/PNEUVISTAconfig.ini");
  qputenv("XDG_CONFIG_HOME", "relative/xdg");  // ignored, as the XDG rules say
  EXPECT_EQ(ConfigFilePath(), "/home/someone/.config/PNEUVISTAconfig.ini");
  qunsetenv("HOME");
  EXPECT_EQ(ConfigFilePath(), "");

  // The serial port resolves through that file unless told otherwise.
  QTemporaryDir dir;
  WriteFile(dir, "[Ports]\nCOM2=/dev/ttyS1\n");
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  QtSerialPort port;
  port.selectPort(2);
  EXPECT_EQ(port.devicePath(), "/dev/ttyS1");
  port.selectPort(3);
  EXPECT_EQ(port.devicePath(), "/dev/ttyUSB2");
  port.setDevicePathOverride("/tmp/meter");
  EXPECT_EQ(port.devicePath(), "/tmp/meter");
  port.setDevicePathOverride("");
  EXPECT_EQ(port.devicePath(), "/dev/ttyUSB2");

  if (hadXdg)
    qputenv("XDG_CONFIG_HOME", savedXdg);
  else
    qunsetenv("XDG_CONFIG_HOME");
  qputenv("HOME", savedHome);
}

}  // namespace
}  // namespace pv
