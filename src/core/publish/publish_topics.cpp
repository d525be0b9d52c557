// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publish_topics.h"

namespace pv {

std::string TopicLevel(std::string_view name) {
  std::string out;
  for (const char c : name) out += c > 0x20 && c < 0x7F && c != '/' && c != '+' && c != '#' ? c : '_';
  return out.empty() ? "_" : out;
}

std::string MeterTopicId(std::string_view devicePath) {
  constexpr std::string_view kById = "/dev/serial/by-id/";
  constexpr std::string_view kDev = "/dev/";
  if (devicePath.starts_with(kById)) devicePath.remove_prefix(kById.size());
  else if (devicePath.starts_with(kDev)) devicePath.remove_prefix(kDev.size());
  while (devicePath.starts_with('/')) devicePath.remove_prefix(1);
  return TopicLevel(devicePath);
}

std::string DefaultTopicPrefix(std::string_view hostName, std::string_view devicePath) {
  return "pneuvista/" + TopicLevel(hostName) + "/" + MeterTopicId(devicePath);
}

std::string TopicPrefixProblem(std::string_view prefix) {
  if (prefix.empty()) return "the topic prefix is empty";
  if (prefix.find_first_of("+#") != std::string_view::npos)
    return "the topic prefix '" + std::string(prefix) + "' holds a wildcard (+ or #)";
  if (prefix.ends_with('/')) return "the topic prefix '" + std::string(prefix) + "' ends with '/'";
  // Brokers keep topics starting with '$' for themselves ($SYS).
  if (prefix.starts_with('$')) return "the topic prefix '" + std::string(prefix) + "' starts with '$'";
  for (const char c : prefix)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return "the topic prefix holds a control character";
  return {};
}

}  // namespace pv
