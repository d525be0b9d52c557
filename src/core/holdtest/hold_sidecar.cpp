// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_sidecar.h"

#include <sys/stat.h>

#include "files/read_file.h"

namespace pv {
SidecarRead ReadHoldTestBeside(const std::string& dataPath, std::span<const std::uint8_t> /*dataBytes*/) {
  SidecarRead read;
  const std::string path = HoldTestPathFor(dataPath);
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return read;  // no test went with this run
  auto bytes = ReadWholeFile(path, kMaxRecordFileBytes);
  if (!bytes) {
    read.problem = bytes.error().message;
    return read;
  }
  const std::vector<std::uint8_t>& data = bytes.value();
  std::string error;
  read.test =
      ParseHoldTestJson(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), &error);
  if (!read.test) read.problem = path + ": " + error;
  return read;
}

}  // namespace pv
