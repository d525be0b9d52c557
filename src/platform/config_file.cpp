// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/config_file.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "files/atomic_save.h"
#include "files/read_file.h"
#include "platform/port_paths.h"

namespace pv {
namespace {

constexpr const char* kSection = "COMInfo";
constexpr const char* kKey = "COM num";
constexpr const char* kFoldersSection = "Folders";
constexpr const char* kDataFilesKey = "DataLogger";
constexpr const char* kSpreadsheetsKey = "Spreadsheet";
constexpr const char* kHelpSection = "Help";
constexpr const char* kHelpPlaceKey = "Window";
constexpr const char* kHoldRecordSection = "HoldTest";

std::string Trim(const std::string& s) {
  const char* ws = " \t\r\n";
  auto b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  auto e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

// Sizes are compared too, so that a NUL inside a name does not end it early.
bool EqualsNoCase(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) && strcasecmp(a.c_str(), b) == 0;
}

// "COM3" -> 3, in any letter case; nullopt for any other key.
std::optional<int> PortKeyNumber(const std::string& key) {
  if (key.size() < 4 || strncasecmp(key.c_str(), "COM", 3) != 0) return std::nullopt;
  int number = 0;
  const char* end = key.data() + key.size();
  const auto [at, ec] = std::from_chars(key.data() + 3, end, number);
  if (ec != std::errc() || at != end) return std::nullopt;
  return number;
}

// "[name]" -> name, anything else -> nullopt.
std::optional<std::string> SectionName(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() >= 2 && t.front() == '[' && t.back() == ']') return Trim(t.substr(1, t.size() - 2));
  return std::nullopt;
}

// The key of a "key=value" line, or nullopt.
std::optional<std::string> KeyOf(const std::string& line, std::string* value = nullptr) {
  auto eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  if (value) *value = Trim(line.substr(eq + 1));
  return Trim(line.substr(0, eq));
}

// A configuration file is a few lines; anything far larger is not ours and is not
// read beyond this point.
constexpr std::size_t kMaxConfigBytes = 1 << 20;

// Some editors start a UTF-8 file with a byte-order mark; it is no part of the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The file's lines, up to kMaxConfigBytes; `whole` is false when there was more. The
// byte-order mark and the line ends the file had are written back as they were.
struct FileLines {
  ConfigLines lines;
  bool whole = true;
  bool byteOrderMark = false;
  std::string lineEnd = "\r\n";
};

// Up to limit + 1 bytes of the file; nothing for a file that is missing, unreadable or
// not a regular file (a FIFO there would otherwise block the program's start).
std::string ReadConfigText(const std::string& path, std::size_t limit) {
  const auto opened = OpenRegularFile(path);
  if (!opened) return {};
  const int fd = opened.value();
  std::string text;
  char block[4096];
  while (text.size() <= limit) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(block, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

FileLines ReadFileLines(const std::string& path) {
  std::string text = ReadConfigText(path, kMaxConfigBytes);
  FileLines read;
  read.whole = text.size() <= kMaxConfigBytes;
  if (!read.whole) text.resize(kMaxConfigBytes);
  read.byteOrderMark = text.starts_with(kByteOrderMark);
  if (const auto eol = text.find('\n'); eol != std::string::npos && (eol == 0 || text[eol - 1] != '\r'))
    read.lineEnd = "\n";
  read.lines = SplitConfigLines(text);
  return read;
}

ConfigLines ReadLines(const std::string& path) { return ReadFileLines(path).lines; }

// The value of key in section, or nullopt. Sections and keys match in any letter case,
// as the profile functions match them.
std::optional<std::string> FindValue(const std::vector<std::string>& lines, const char* section,
                                     const char* key) {
  bool inSection = false;
  for (const auto& line : lines) {
    if (auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    std::string value;
    if (inSection && KeyOf(line, &value) && EqualsNoCase(*KeyOf(line), key)) return value;
  }
  return std::nullopt;
}

// Sets key = value in section: in place when the key is there, else after the section's
// last non-blank line, else in a new section at the end. Every other line stays.
void SetValue(std::vector<std::string>& lines, const char* section, const char* key,
              const std::string& value) {
  const std::string entry = std::string(key) + "=" + value;
  bool inSection = false;
  for (auto& line : lines) {
    if (auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, section);
      continue;
    }
    if (auto k = KeyOf(line); inSection && k && EqualsNoCase(*k, key)) {
      line = entry;
      return;
    }
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (auto name = SectionName(lines[i]); name && EqualsNoCase(*name, section)) {
      std::size_t insertAt = i + 1;
      for (std::size_t j = i + 1; j < lines.size() && !SectionName(lines[j]); ++j)
        if (!Trim(lines[j]).empty()) insertAt = j + 1;
      lines.insert(lines.begin() + static_cast<long>(insertAt), entry);
      return;
    }
  }
  lines.push_back(std::string("[") + section + "]");
  lines.push_back(entry);
}

// Replaces the file as a whole through the atomic save, so that a failed write leaves
// the old one and a replaced file keeps its mode.
std::string WriteLines(const std::string& path, const FileLines& file) {
  if (path.empty()) return NoConfigFolderMessage();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string text = file.byteOrderMark ? std::string(kByteOrderMark) : std::string();
  for (const auto& l : file.lines) text += l + file.lineEnd;
  const std::array<FileToWrite, 1> files{FileToWrite(path, text)};
  const FileStatus saved = SaveFilesAtomically(files);
  return saved ? std::string() : saved.error().message;
}

}  // namespace

std::string NoConfigFolderMessage() {
  return "no configuration folder ($XDG_CONFIG_HOME and $HOME are not set): settings are not kept";
}

ConfigLines SplitConfigLines(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  ConfigLines lines;
  while (!text.empty()) {
    const auto eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
  }
  return lines;
}

int ComPortIn(const ConfigLines& lines) {
  const auto value = FindValue(lines, kSection, kKey);
  if (!value) return kDefaultComPort;
  // Like the profile functions: the leading decimal digits, 0 when there are none. A
  // number no port can have counts as no number at all.
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(value->c_str(), &end, 10);
  if (errno == ERANGE || n < INT_MIN || n > INT_MAX) return kDefaultComPort;
  return end == value->c_str() ? 0 : static_cast<int>(n);
}

void SetComPort(ConfigLines& lines, int port) {
  // The user's own line stays when it already means this port ("COM num= 3", or a
  // number out of range that stands for the default).
  if (FindValue(lines, kSection, kKey) && ComPortIn(lines) == port) return;
  SetValue(lines, kSection, kKey, std::to_string(port));
}

PortPathMap PortPathsIn(const ConfigLines& lines) {
  PortPathMap paths;
  bool inSection = false;
  for (const std::string& line : lines) {
    if (auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, kPortsSection);
      continue;
    }
    std::string value;
    const auto key = KeyOf(line, &value);
    if (!inSection || !key) continue;
    const auto number = PortKeyNumber(*key);
    if (!number) continue;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (!value.empty()) paths.emplace(*number, value);  // the first line for a port counts
  }
  return paths;
}

void SetPortPath(ConfigLines& lines, int port, const std::string& device) {
  const std::string key = "COM" + std::to_string(port);
  SetValue(lines, kPortsSection, key.c_str(), device);
  // Any other line of the section for the same port ("COM03", a second "COM3") would
  // leave the file saying two things; the one just written is the only one kept.
  bool inSection = false, kept = false;
  std::erase_if(lines, [&](const std::string& line) {
    if (auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, kPortsSection);
      return false;
    }
    const auto k = KeyOf(line);
    if (!inSection || !k || PortKeyNumber(*k) != port) return false;
    if (!kept && EqualsNoCase(*k, key.c_str())) return !(kept = true);
    return true;
  });
}

FileFolders FileFoldersIn(const ConfigLines& lines) {
  FileFolders folders;
  folders.dataFiles = FindValue(lines, kFoldersSection, kDataFilesKey).value_or(std::string());
  folders.spreadsheets = FindValue(lines, kFoldersSection, kSpreadsheetsKey).value_or(std::string());
  return folders;
}

void SetFileFolders(ConfigLines& lines, const FileFolders& folders) {
  // A line break cannot be kept in a line of the file, and blanks at either end are
  // trimmed when it is read; such a folder is not remembered rather than remembered wrong.
  auto storable = [](const std::string& f) {
    return !f.empty() && f.find_first_of("\r\n") == std::string::npos && Trim(f) == f;
  };
  if (storable(folders.dataFiles)) SetValue(lines, kFoldersSection, kDataFilesKey, folders.dataFiles);
  if (storable(folders.spreadsheets))
    SetValue(lines, kFoldersSection, kSpreadsheetsKey, folders.spreadsheets);
}

std::optional<WindowPlace> HelpWindowPlaceIn(const ConfigLines& lines) {
  const auto value = FindValue(lines, kHelpSection, kHelpPlaceKey);
  if (!value) return std::nullopt;
  int numbers[4] = {};
  const char* at = value->data();
  const char* end = value->data() + value->size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && (at == end || *at++ != ',')) return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, numbers[i]);
    if (error != std::errc()) return std::nullopt;
    at = next;
  }
  const WindowPlace place{numbers[0], numbers[1], numbers[2], numbers[3]};
  if (at != end || place.width <= 0 || place.height <= 0) return std::nullopt;
  return place;
}

void SetHelpWindowPlace(ConfigLines& lines, const WindowPlace& place) {
  const std::string value = std::to_string(place.x) + "," + std::to_string(place.y) + "," +
                            std::to_string(place.width) + "," + std::to_string(place.height);
  SetValue(lines, kHelpSection, kHelpPlaceKey, value);
}

namespace {

// A line of the file holds one line of text: a line break in a value is kept as "\n"
// and a backslash as "\\".
std::string EscapedValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c != '\r')
      out += c;
  }
  return out;
}

std::string UnescapedValue(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\'))
      out += text[++i] == 'n' ? '\n' : '\\';
    else
      out += text[i];
  }
  return out;
}

}  // namespace

HoldRecord HoldRecordIn(const ConfigLines& lines) {
  HoldRecord record;
  for (const HoldRecordField& f : kHoldRecordFields) {
    const auto value = FindValue(lines, kHoldRecordSection, std::string(f.key).c_str());
    if (value) record.*f.field = UnescapedValue(*value);
  }
  return record;
}

void SetHoldRecord(ConfigLines& lines, const HoldRecord& record) {
  for (const HoldRecordField& f : kHoldRecordFields)
    SetValue(lines, kHoldRecordSection, std::string(f.key).c_str(), EscapedValue(Trim(record.*f.field)));
}

namespace {

// Reads the file's lines, lets change edit them and replaces the file with the result.
template <class Change>
std::string EditFile(const std::string& path, Change change) {
  FileLines read = ReadFileLines(path);
  // Writing back what was read of a larger file would cut off the rest of it.
  if (!read.whole) return path + ": larger than 1 MB, not a configuration file; left as it is";
  change(read.lines);
  return WriteLines(path, read);
}

}  // namespace

int ReadComPort(const std::string& path) {
  return ComPortIn(ReadLines(path));
}

std::string WriteComPort(const std::string& path, int port) {
  return EditFile(path, [&](ConfigLines& lines) { SetComPort(lines, port); });
}

PortPathMap ReadPortPaths(const std::string& iniFile) {
  return PortPathsIn(ReadLines(iniFile));
}

std::string WritePortPath(const std::string& path, int port, const std::string& device) {
  return EditFile(path, [&](ConfigLines& lines) { SetPortPath(lines, port, device); });
}

FileFolders ReadFileFolders(const std::string& path) {
  return FileFoldersIn(ReadLines(path));
}

std::string WriteFileFolders(const std::string& path, const FileFolders& folders) {
  return EditFile(path, [&](ConfigLines& lines) { SetFileFolders(lines, folders); });
}

std::optional<WindowPlace> ReadHelpWindowPlace(const std::string& path) {
  return HelpWindowPlaceIn(ReadLines(path));
}

std::string WriteHelpWindowPlace(const std::string& path, const WindowPlace& place) {
  return EditFile(path, [&](ConfigLines& lines) { SetHelpWindowPlace(lines, place); });
}

HoldRecord ReadHoldRecord(const std::string& path) {
  return HoldRecordIn(ReadLines(path));
}

std::string WriteHoldRecord(const std::string& path, const HoldRecord& record) {
  return EditFile(path, [&](ConfigLines& lines) { SetHoldRecord(lines, record); });
}

std::map<std::string, std::string> ReadConfigSection(const std::string& path, const char* section,
                                                     const std::vector<std::string>& keys) {
  const ConfigLines lines = ReadLines(path);
  std::map<std::string, std::string> values;
  for (const std::string& key : keys)
    if (const auto value = FindValue(lines, section, key.c_str())) values[key] = UnescapedValue(Trim(*value));
  return values;
}

std::string WriteConfigSection(const std::string& path, const char* section,
                               const std::map<std::string, std::string>& values) {
  return EditFile(path, [&](ConfigLines& lines) {
    for (const auto& [key, value] : values) SetValue(lines, section, key.c_str(), EscapedValue(value));
  });
}

}  // namespace pv
