// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The files under path (or path itself when it is a file).
std::vector<fs::path> FilesAt(const fs::path& path) {
  if (fs::is_regular_file(path)) return {path};
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(path))
    if (entry.is_regular_file()) files.push_back(entry.path());
  return files;
}

// The core library and the simulated meter's model are plain C++: none of their files
// may include a Qt header.
TEST(PlainLibraries, IncludeNoQtHeader) {
  const struct {
    const char* path;
    std::size_t minFiles;
  } cases[] = {
      {"src/core", 6},
      {"src/sim/meter_model.h", 1},
      {"src/sim/meter_model.cpp", 1},
  };
  const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]|qt)[^>"]*[>"])");
  for (const auto& c : cases) {
    const fs::path root = fs::path(PNEUVISTA_SOURCE_DIR) / c.path;
    ASSERT_TRUE(fs::exists(root)) << root;
    const std::vector<fs::path> files = FilesAt(root);
    EXPECT_GE(files.size(), c.minFiles) << root;
    for (const fs::path& file : files) {
      std::ifstream in(file);
      std::string line;
      int number = 0;
      while (std::getline(in, line)) {
        ++number;
        EXPECT_FALSE(std::regex_search(line, qtInclude)) << file << ":" << number << ": " << line;
      }
    }
  }
}

}  // namespace
