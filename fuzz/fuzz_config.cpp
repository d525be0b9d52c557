// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration file is the user's to edit and may hold anything: every reader
// copes with any bytes, and every writer changes only its own key. After a write the
// value written reads back, and the lines that were not the key's are all still there,
// in their order.
//
// Input: one byte choosing the write, a few bytes for the value it writes, then the
// file's bytes. The file layer around these (read the lines, write them back with their line ends)
// is left out so that the fuzzer is not timing the disk.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/config_file.h"

using namespace pv;

namespace {

// A write replaces one line in place, inserts one, or appends a section with its key:
// every other line of before is in after, unchanged and in its order.
bool KeepsOtherLines(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  const auto firstDifference = [&] {
    std::size_t i = 0;
    while (i < before.size() && i < after.size() && before[i] == after[i]) ++i;
    return i;
  };
  const std::size_t i = firstDifference();
  if (after.size() == before.size())
    return i == before.size() ||
           std::equal(before.begin() + long(i) + 1, before.end(), after.begin() + long(i) + 1);
  if (after.size() == before.size() + 1)
    return std::equal(before.begin() + long(i), before.end(), after.begin() + long(i) + 1);
  return after.size() == before.size() + 2 && i == before.size();
}

// A short text from the input: a value the program could write.
std::string ShortText(fuzz::Input& in) {
  const auto bytes = in.take(in.range(0, 24));
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in({data, size});
  const std::uint8_t choice = in.byte();
  const int number = static_cast<int>(in.u32());
  const std::string value = ShortText(in);
  const auto rest = in.take(in.left());
  const ConfigLines before = SplitConfigLines({reinterpret_cast<const char*>(rest.data()), rest.size()});

  // The readers, on whatever is there.
  const int port = ComPortIn(before);
  const FileFolders folders = FileFoldersIn(before);
  const auto place = HelpWindowPlaceIn(before);
  if (place) PV_FUZZ_CHECK(place->width > 0 && place->height > 0);
  const PortPathMap paths = PortPathsIn(before);
  for (const auto& [n, path] : paths) PV_FUZZ_CHECK(!path.empty());

  ConfigLines after = before;
  switch (choice % 5) {
    case 0:
      SetComPort(after, number);
      PV_FUZZ_CHECK(ComPortIn(after) == number);
      break;
    case 1:
    case 2: {
      FileFolders f;
      (choice % 5 == 1 ? f.dataFiles : f.spreadsheets) = value;
      SetFileFolders(after, f);
      const FileFolders again = FileFoldersIn(after);
      // A folder the file can hold reads back as it was; one it cannot is not written.
      const std::string& read = choice % 5 == 1 ? again.dataFiles : again.spreadsheets;
      const std::string& old = choice % 5 == 1 ? folders.dataFiles : folders.spreadsheets;
      PV_FUZZ_CHECK(read == value || read == old);
      break;
    }
    case 3: {
      const WindowPlace p{number, number / 3, 1 + (number & 0x7FF), 1 + ((number >> 11) & 0x7FF)};
      SetHelpWindowPlace(after, p);
      PV_FUZZ_CHECK(HelpWindowPlaceIn(after) == p);
      break;
    }
    default: {
      // Every other line for the same port goes, so only the other keys are compared.
      const int portNumber = 1 + (number & 0xFF);
      const std::string device = "/dev/" + value;
      const bool storable =
          device.find_first_of("\r\n") == std::string::npos && device.back() != ' ' && device.back() != '\t';
      if (!storable) return 0;
      SetPortPath(after, portNumber, device);
      PortPathMap again = PortPathsIn(after);
      PV_FUZZ_CHECK(again[portNumber] == device);
      PortPathMap others = paths;
      others.erase(portNumber);
      again.erase(portNumber);
      PV_FUZZ_CHECK(again == others);
      PV_FUZZ_CHECK(ComPortIn(after) == port);
      PV_FUZZ_CHECK(FileFoldersIn(after) == folders);
      PV_FUZZ_CHECK(HelpWindowPlaceIn(after) == place);
      return 0;
    }
  }
  PV_FUZZ_CHECK(KeepsOtherLines(before, after));
  return 0;
}
