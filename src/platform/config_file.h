#pragma once
// The configuration file "PNEUVISTAconfig.ini" in the user's configuration folder:
// section "COMInfo", key "COM num", and the folders the file dialogs were last left in
// (section "Folders"). It is read and written as plain text so that the key keeps its
// blank and any other lines of the file survive.
#include <optional>
#include <string>

#include "files/file_folders.h"
#include "platform/port_paths.h"  // ConfigFilePath

namespace pv {

inline constexpr int kDefaultComPort = 1;

// "COM num" of the file; the default when the file, the section or the key is
// missing or the value is not a number. No range test: the port refuses bad numbers.
int ReadComPort(const std::string& path);

// Writes "COM num" = port ("%d"), keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteComPort(const std::string& path, int port);

// The remembered folders; empty ones where the file has none.
FileFolders ReadFileFolders(const std::string& path);

// Writes the folders that are known, keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteFileFolders(const std::string& path, const FileFolders& folders);

}  // namespace pv
