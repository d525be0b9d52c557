#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

// The core library is plain C++: no file under src/core may include a Qt header.
TEST(CoreLibrary, IncludesNoQtHeader) {
  namespace fs = std::filesystem;
  const fs::path core = fs::path(PNEUVISTA_SOURCE_DIR) / "src" / "core";
  ASSERT_TRUE(fs::exists(core));
  const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]|qt)[^>"]*[>"])");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(core)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      EXPECT_FALSE(std::regex_search(line, qtInclude)) << entry.path() << ":" << number << ": " << line;
    }
  }
  EXPECT_GT(files, 5);
}
