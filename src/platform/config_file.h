#pragma once
// The one-key configuration file "PNEUVISTAconfig.ini" in the user's configuration
// folder: section "COMInfo", key "COM num". It is read and written as plain text so
// that the key keeps its blank and any other lines of the file survive.
#include <optional>
#include <string>

#include "platform/port_paths.h"  // ConfigFilePath

namespace pv {

inline constexpr int kDefaultComPort = 1;

// "COM num" of the file; the default when the file, the section or the key is
// missing or the value is not a number. No range test: the port refuses bad numbers.
int ReadComPort(const std::string& path);

// Writes "COM num" = port ("%d"), keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteComPort(const std::string& path, int port);

}  // namespace pv
