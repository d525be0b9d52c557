#include "platform/config_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace pv {
namespace {

constexpr const char* kSection = "COMInfo";
constexpr const char* kKey = "COM num";

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

}  // namespace

int ReadComPort(const std::string& path) {
  bool inSection = false;
  for (const auto& line : ReadLines(path)) {
    if (auto name = SectionName(line)) {
      inSection = EqualsNoCase(*name, kSection);
      continue;
    }
    std::string value;
    if (inSection && KeyOf(line, &value) && EqualsNoCase(*KeyOf(line), kKey)) {
      // Like the profile functions: the leading decimal digits, 0 when there are none.
      char* end = nullptr;
      long n = std::strtol(value.c_str(), &end, 10);
      if (end == value.c_str()) return 0;
      return static_cast<int>(n);
    }
  }
  return kDefaultComPort;
}

std::string WriteComPort(const std::string& path, int port) {
  std::vector<std::string> lines = ReadLines(path);
  const std::string entry = std::string(kKey) + "=" + std::to_string(port);
  bool inSection = false, written = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (auto name = SectionName(lines[i])) {
      inSection = EqualsNoCase(*name, kSection);
      continue;
    }
    if (inSection && !written) {
      if (auto key = KeyOf(lines[i]); key && EqualsNoCase(*key, kKey)) {
        lines[i] = entry;
        written = true;
      }
    }
  }
  if (!written) {
    bool haveSection = false;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (auto name = SectionName(lines[i]); name && EqualsNoCase(*name, kSection)) {
        haveSection = true;
        insertAt = i + 1;
        // After the section's last non-blank line.
        for (std::size_t j = i + 1; j < lines.size() && !SectionName(lines[j]); ++j)
          if (!Trim(lines[j]).empty()) insertAt = j + 1;
        break;
      }
    }
    if (haveSection) {
      lines.insert(lines.begin() + static_cast<long>(insertAt), entry);
    } else {
      lines.push_back(std::string("[") + kSection + "]");
      lines.push_back(entry);
    }
  }

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

}  // namespace pv
