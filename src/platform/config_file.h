#pragma once
// The configuration file "PNEUVISTAconfig.ini" in the user's configuration folder:
// section "COMInfo", key "COM num", the folders the file dialogs were last left in
// (section "Folders") and the help window's place on the screen (section "Help"). It is
// read and written as plain text so that the key keeps its blank and any other lines of
// the file survive.
#include <optional>
#include <string>

#include "files/file_folders.h"
#include "platform/port_paths.h"  // ConfigFilePath

namespace pv {

inline constexpr int kDefaultComPort = 1;

// A window's place on the screen: its top-left corner and its size, in pixels.
struct WindowPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const WindowPlace&) const = default;
};

// "COM num" of the file; the default when the file, the section or the key is
// missing or the value is not a number. No range test: the port refuses bad numbers.
int ReadComPort(const std::string& path);

// Writes "COM num" = port ("%d"), keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteComPort(const std::string& path, int port);

// Writes "COM<port>=device" into the [Ports] section, keeping every other line of the
// file. Returns an error text, empty on success.
std::string WritePortPath(const std::string& path, int port, const std::string& device);

// The remembered folders; empty ones where the file has none.
FileFolders ReadFileFolders(const std::string& path);

// Writes the folders that are known, keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteFileFolders(const std::string& path, const FileFolders& folders);

// The help window's place, "x,y,width,height"; nullopt when the file has none or the
// value is not four numbers with a positive size.
std::optional<WindowPlace> ReadHelpWindowPlace(const std::string& path);

// Writes the help window's place, keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteHelpWindowPlace(const std::string& path, const WindowPlace& place);

}  // namespace pv
