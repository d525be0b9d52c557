// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which device a port number stands for. Numbers map to the USB serial adapters by
// default; the configuration file's [Ports] section may map any number to any path.
#include <map>
#include <string>

namespace pv {

using PortPathMap = std::map<int, std::string>;

inline constexpr const char* kConfigFileName = "PNEUVISTAconfig.ini";
inline constexpr const char* kPortsSection = "Ports";

// "$XDG_CONFIG_HOME/PNEUVISTAconfig.ini", with ~/.config when the variable is unset,
// empty or not an absolute path. Empty when neither that nor $HOME is known: there is
// then no configuration file to read or write.
std::string ConfigFilePath();

// Port n is /dev/ttyUSB{n-1}. Numbers below 1 have no device: the result is empty.
std::string DefaultDevicePath(int number);

// The configured path of port n when there is one, else the default.
std::string ResolvePortPath(int number, const PortPathMap& configured);

// The device a path names, through any symlinks (a /dev/serial/by-id name); the path
// itself when it cannot be resolved. A port is locked and checked for being busy under
// this name, so that two names of one device count as one port.
std::string RealDevicePath(const std::string& path);

// ResolvePortPath with the [Ports] section of the user's configuration file, read now.
std::string ConfiguredPortPath(int number);

}  // namespace pv
