#include "platform/port_paths.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace pv {
namespace {

// A configuration file is a few lines; anything far larger is not ours and is not
// read beyond this point.
constexpr std::size_t kMaxConfigBytes = 1 << 20;

std::string_view Trim(std::string_view s) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// "COM3" -> 3. INI keys are case-insensitive, as the profile functions treat them.
bool ParsePortKey(std::string_view key, int& number) {
  if (key.size() < 4 || !EqualsNoCase(key.substr(0, 3), "COM")) return false;
  key.remove_prefix(3);
  const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), number);
  return ec == std::errc() && end == key.data() + key.size();
}

}  // namespace

std::string ConfigFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/" + kConfigFileName;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config/" + kConfigFileName;
  return {};
}

std::string DefaultDevicePath(int number) {
  if (number < 1) return {};
  return "/dev/ttyUSB" + std::to_string(number - 1);
}

PortPathMap ReadPortPaths(const std::string& iniFile) {
  PortPathMap paths;
  std::ifstream in(iniFile, std::ios::binary);
  if (!in) return paths;
  std::string text(kMaxConfigBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));

  bool inPorts = false;
  std::string_view rest = text;
  while (!rest.empty()) {
    const auto eol = rest.find('\n');
    std::string_view line = Trim(rest.substr(0, eol));
    rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const auto close = line.find(']');
      inPorts =
          close != std::string_view::npos && EqualsNoCase(Trim(line.substr(1, close - 1)), kPortsSection);
      continue;
    }
    if (!inPorts) continue;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    int number = 0;
    if (!ParsePortKey(Trim(line.substr(0, eq)), number)) continue;
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (!value.empty()) paths[number] = std::string(value);
  }
  return paths;
}

std::string ResolvePortPath(int number, const PortPathMap& configured) {
  if (const auto it = configured.find(number); it != configured.end()) return it->second;
  return DefaultDevicePath(number);
}

std::string ConfiguredPortPath(int number) {
  const std::string file = ConfigFilePath();
  return ResolvePortPath(number, file.empty() ? PortPathMap{} : ReadPortPaths(file));
}

}  // namespace pv
