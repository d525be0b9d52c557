#pragma once
// The one-key configuration file "PNEUVISTAconfig.ini" in the user's configuration
// folder: section "COMInfo", key "COM num". It is read and written as plain text so
// that the key keeps its blank and any other lines of the file survive.
#include <optional>
#include <string>

namespace pv {

inline constexpr const char* kConfigFileName = "PNEUVISTAconfig.ini";
inline constexpr int kDefaultComPort = 1;

// $XDG_CONFIG_HOME/PNEUVISTAconfig.ini, or ~/.config/PNEUVISTAconfig.ini.
std::string ConfigFilePath();

// "COM num" of the file; the default when the file, the section or the key is
// missing or the value is not a number. No range test: the port refuses bad numbers.
int ReadComPort(const std::string& path);

// Writes "COM num" = port ("%d"), keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteComPort(const std::string& path, int port);

}  // namespace pv
