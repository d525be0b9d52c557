// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/port_paths.h"

#include <cstdlib>
#include <filesystem>

#include "platform/config_file.h"

namespace pv {

std::string ConfigFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // A relative folder is ignored, as the XDG rules ask: it would depend on where the
  // program happens to be started.
  if (xdg && *xdg == '/') return std::string(xdg) + "/" + kConfigFileName;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config/" + kConfigFileName;
  return {};
}

std::string DefaultDevicePath(int number) {
  if (number < 1) return {};
  return "/dev/ttyUSB" + std::to_string(number - 1);
}

std::string ResolvePortPath(int number, const PortPathMap& configured) {
  if (const auto it = configured.find(number); it != configured.end()) return it->second;
  return DefaultDevicePath(number);
}

std::string RealDevicePath(const std::string& path) {
  std::error_code ec;
  const std::string real = std::filesystem::canonical(path, ec).string();
  return ec ? path : real;
}

std::string ConfiguredPortPath(int number) {
  const std::string file = ConfigFilePath();
  return ResolvePortPath(number, file.empty() ? PortPathMap{} : ReadPortPaths(file));
}

}  // namespace pv
