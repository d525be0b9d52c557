#include "platform/config_file.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

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

std::string Trim(const std::string& s) {
  const char* ws = " \t\r\n";
  auto b = s.find_first_not_of(ws);
  if (b == std::string::npos) return {};
  auto e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

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

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

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

// Replaces the file as a whole, so that a failed write leaves the old one.
std::string WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return path + ": " + std::strerror(errno);
    for (const auto& l : lines) out << l << "\r\n";
    out.flush();
    if (!out) return path + ": " + std::strerror(errno);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::string err = path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return err;
  }
  return {};
}

}  // namespace

int ReadComPort(const std::string& path) {
  const auto value = FindValue(ReadLines(path), kSection, kKey);
  if (!value) return kDefaultComPort;
  // Like the profile functions: the leading decimal digits, 0 when there are none.
  char* end = nullptr;
  const long n = std::strtol(value->c_str(), &end, 10);
  return end == value->c_str() ? 0 : static_cast<int>(n);
}

std::string WriteComPort(const std::string& path, int port) {
  std::vector<std::string> lines = ReadLines(path);
  SetValue(lines, kSection, kKey, std::to_string(port));
  return WriteLines(path, lines);
}

std::string WritePortPath(const std::string& path, int port, const std::string& device) {
  std::vector<std::string> lines = ReadLines(path);
  SetValue(lines, kPortsSection, ("COM" + std::to_string(port)).c_str(), device);
  return WriteLines(path, lines);
}

FileFolders ReadFileFolders(const std::string& path) {
  const std::vector<std::string> lines = ReadLines(path);
  FileFolders folders;
  folders.dataFiles = FindValue(lines, kFoldersSection, kDataFilesKey).value_or(std::string());
  folders.spreadsheets = FindValue(lines, kFoldersSection, kSpreadsheetsKey).value_or(std::string());
  return folders;
}

std::string WriteFileFolders(const std::string& path, const FileFolders& folders) {
  std::vector<std::string> lines = ReadLines(path);
  // A line break cannot be kept in a line of the file; such a folder is not remembered.
  auto storable = [](const std::string& f) { return f.find_first_of("\r\n") == std::string::npos; };
  if (!folders.dataFiles.empty() && storable(folders.dataFiles))
    SetValue(lines, kFoldersSection, kDataFilesKey, folders.dataFiles);
  if (!folders.spreadsheets.empty() && storable(folders.spreadsheets))
    SetValue(lines, kFoldersSection, kSpreadsheetsKey, folders.spreadsheets);
  return WriteLines(path, lines);
}

std::optional<WindowPlace> ReadHelpWindowPlace(const std::string& path) {
  const auto value = FindValue(ReadLines(path), kHelpSection, kHelpPlaceKey);
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

std::string WriteHelpWindowPlace(const std::string& path, const WindowPlace& place) {
  std::vector<std::string> lines = ReadLines(path);
  const std::string value = std::to_string(place.x) + "," + std::to_string(place.y) + "," +
                            std::to_string(place.width) + "," + std::to_string(place.height);
  SetValue(lines, kHelpSection, kHelpPlaceKey, value);
  return WriteLines(path, lines);
}

}  // namespace pv
