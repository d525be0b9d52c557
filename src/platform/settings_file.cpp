// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_file.h"

#include <filesystem>

#include "platform/config_file.h"

namespace pv {

SettingsFile::SettingsFile(std::string path, std::string runOnlyDevice)
    : path_(std::move(path)), runOnlyDevice_(std::move(runOnlyDevice)) {}

int SettingsFile::portNumber() const { return ReadComPort(path_); }

std::string SettingsFile::keepPortNumber(int port) const { return WriteComPort(path_, port); }

std::string SettingsFile::keepPortDevice(int port, const std::string& device) const {
  if (isRunOnly(device)) return {};
  return WritePortPath(path_, port, device);
}

bool SettingsFile::isRunOnly(const std::string& device) const {
  if (runOnlyDevice_.empty()) return false;
  if (device == runOnlyDevice_) return true;
  // A link to it is the same device.
  std::error_code ec;
  return std::filesystem::equivalent(device, runOnlyDevice_, ec) && !ec;
}

}  // namespace pv
