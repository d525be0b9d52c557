// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The configuration file "PNEUVISTAconfig.ini" in the user's configuration folder:
// section "COMInfo", key "COM num", the folders the file dialogs were last left in
// (section "Folders") and the help window's place on the screen (section "Help"). It is
// read and written as plain text so that the key keeps its blank and any other lines of
// the file survive.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_folders.h"
#include "holdtest/hold_record.h"
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
// missing or the value is a number past the integer range. No other range test: the
// port refuses bad numbers. A leading UTF-8 byte-order mark is skipped.
int ReadComPort(const std::string& path);

// Writes "COM num" = port ("%d"), keeping every other line of the file, and the key's
// own line when it already reads as that port. Every writer below replaces the file
// through the atomic save, keeping its mode, its line ends and its byte-order mark; with
// an empty path (no configuration folder) nothing is written. Returns an error text,
// empty on success.
std::string WriteComPort(const std::string& path, int port);

// Writes "COM<port>=device" into the [Ports] section in place of any line there for the
// same port, keeping every other line of the file. Returns an error text, empty on success.
std::string WritePortPath(const std::string& path, int port, const std::string& device);

// The "COM<n>=path" lines of the [Ports] section, the first for each port; a path in
// double quotes loses them. A missing or unreadable file gives an empty map; lines
// that are not of that form are ignored.
PortPathMap ReadPortPaths(const std::string& iniFile);

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

// The hold test record's fields as last entered (section "HoldTest", one key per field),
// offered again for the next test; blank fields where the file has none.
HoldRecord ReadHoldRecord(const std::string& path);

// Keeps a record's fields for the next test, keeping every other line of the file.
// Returns an error text, empty on success.
std::string WriteHoldRecord(const std::string& path, const HoldRecord& record);

// The values of a section's keys, for settings kept as plain key=value lines (the
// publishing settings); a key the file lacks is left out. Values keep line breaks and
// backslashes as the hold test record's do.
std::map<std::string, std::string> ReadConfigSection(const std::string& path, const char* section,
                                                     const std::vector<std::string>& keys);

// Writes each key=value into section, keeping every other line of the file. Returns an
// error text, empty on success.
std::string WriteConfigSection(const std::string& path, const char* section,
                               const std::map<std::string, std::string>& values);

// The same on the file's lines, for whoever holds the text: the functions above are
// these with the file read before and replaced after. Lines are split at LF, with a CR
// before it dropped; the file is written back with the line ends it had (CRLF for a new one).
using ConfigLines = std::vector<std::string>;
ConfigLines SplitConfigLines(std::string_view text);  // without a leading byte-order mark
std::string NoConfigFolderMessage();
int ComPortIn(const ConfigLines& lines);
void SetComPort(ConfigLines& lines, int port);
PortPathMap PortPathsIn(const ConfigLines& lines);
void SetPortPath(ConfigLines& lines, int port, const std::string& device);
FileFolders FileFoldersIn(const ConfigLines& lines);
void SetFileFolders(ConfigLines& lines, const FileFolders& folders);
std::optional<WindowPlace> HelpWindowPlaceIn(const ConfigLines& lines);
void SetHelpWindowPlace(ConfigLines& lines, const WindowPlace& place);
HoldRecord HoldRecordIn(const ConfigLines& lines);
void SetHoldRecord(ConfigLines& lines, const HoldRecord& record);

}  // namespace pv
