#pragma once
// Which device a port number stands for. Numbers map to the USB serial adapters by
// default; the configuration file's [Ports] section may map any number to any path.
#include <map>
#include <string>

namespace pv {

using PortPathMap = std::map<int, std::string>;

inline constexpr const char* kConfigFileName = "PNEUVISTAconfig.ini";
inline constexpr const char* kPortsSection = "Ports";

// "$XDG_CONFIG_HOME/PNEUVISTAconfig.ini", with ~/.config when the variable is unset or
// empty. Empty when neither that nor $HOME is known.
std::string ConfigFilePath();

// Port n is /dev/ttyUSB{n-1}. Numbers below 1 have no device: the result is empty.
std::string DefaultDevicePath(int number);

// The configured path of port n when there is one, else the default.
std::string ResolvePortPath(int number, const PortPathMap& configured);

// ResolvePortPath with the [Ports] section of the user's configuration file, read now.
std::string ConfiguredPortPath(int number);

}  // namespace pv
