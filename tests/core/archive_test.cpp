// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Prefix(std::initializer_list<int> b) {
  return Bytes(b.begin(), b.end());
}

TEST(ArchiveText, LengthPrefixSwitchesFormAtItsBoundaries) {
  struct Case {
    std::size_t length;
    Bytes prefix;
  };
  const std::vector<Case> cases = {
      {0, Prefix({0x00})},
      {254, Prefix({0xFE})},
      {255, Prefix({0xFF, 0xFF, 0x00})},
      {65533, Prefix({0xFF, 0xFD, 0xFF})},
      {65534, Prefix({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {65535, Prefix({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
  };
  for (const auto& c : cases) {
    const std::string text(c.length, 'x');
    ArchiveWriter w;
    w.writeText(text);
    const Bytes& out = w.bytes();
    ASSERT_EQ(out.size(), c.prefix.size() + c.length) << c.length;
    EXPECT_EQ(Bytes(out.begin(), out.begin() + c.prefix.size()), c.prefix) << c.length;
    EXPECT_EQ(ArchiveWriter::TextSize(text), out.size()) << c.length;

    ArchiveReader r(out);
    std::string back;
    EXPECT_TRUE(r.readText(back, "text")) << c.length;
    EXPECT_EQ(back, text) << c.length;
    EXPECT_EQ(r.remaining(), 0u) << c.length;
  }
}

TEST(ArchiveText, Windows1252RoundTripAndUnrepresentableCharacters) {
  struct Case {
    std::string utf8;
    Bytes stored;
    std::string readBack;
  };
  const std::vector<Case> cases = {
      {"\xC2\xB0"
       "C",
       Prefix({2, 0xB0, 'C'}),
       "\xC2\xB0"
       "C"},                                                             // degree sign
      {"caf\xC3\xA9", Prefix({4, 'c', 'a', 'f', 0xE9}), "caf\xC3\xA9"},  // e acute
      {"\xE2\x82\xAC", Prefix({1, 0x80}), "\xE2\x82\xAC"},               // euro, in the 0x80 block
      {"\xCE\xA9", Prefix({1, '?'}), "?"},                               // omega: no single byte
      {"a\xFF"
       "b",
       Prefix({3, 'a', '?', 'b'}), "a?b"},  // malformed UTF-8
  };
  for (const auto& c : cases) {
    ArchiveWriter w;
    w.writeText(c.utf8);
    EXPECT_EQ(w.bytes(), c.stored) << c.utf8;
    ArchiveReader r(w.bytes());
    std::string back;
    ASSERT_TRUE(r.readText(back, "text"));
    EXPECT_EQ(back, c.readBack);
  }
}

TEST(ArchiveText, ReadsTheUtf16FormAsSingleByteText) {
  // 0xFF 0xFFFE announces UTF-16; the second prefix counts 16-bit characters.
  const Bytes shortForm = Prefix({0xFF, 0xFE, 0xFF, 4, 'p', 0, 0xE9, 0, 0xAC, 0x20, 0xA9, 0x03, 'z'});
  ArchiveReader r(shortForm);
  std::string text;
  ASSERT_TRUE(r.readText(text, "unit name"));
  EXPECT_EQ(text, "p\xC3\xA9\xE2\x82\xAC?");  // omega has no single-byte form
  EXPECT_EQ(r.remaining(), 1u);

  Bytes longForm = Prefix({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01});  // 300 characters
  for (int i = 0; i < 300; ++i) longForm.insert(longForm.end(), {'a', 0});
  ArchiveReader r2(longForm);
  ASSERT_TRUE(r2.readText(text, "header"));
  EXPECT_EQ(text, std::string(300, 'a'));
}

TEST(ArchiveReader, FailuresNameTheFieldAndItsOffsetAndStick) {
  struct Case {
    const char* what;
    Bytes data;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"text cut short", Prefix({0, 5, 'a', 'b'}),
       "end time at offset 1: the file ends after 4 bytes, 5 more needed from offset 2"},
      {"prefix cut short", Prefix({0, 0xFF, 0x10}),
       "end time at offset 1: the file ends after 3 bytes, 2 more needed from offset 2"},
      {"hostile length", Prefix({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
       "end time at offset 1: text length 2147483647 exceeds the 65535 characters a data file can hold"},
      {"length just too long", Prefix({0, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}),
       "end time at offset 1: text length 65536 exceeds the 65535 characters a data file can hold"},
      {"repeated UTF-16 marker", Prefix({0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}),
       "end time at offset 1: the UTF-16 marker is repeated"},
      {"UTF-16 cut short", Prefix({0, 0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b'}),
       "end time at offset 1: the file ends after 8 bytes, 4 more needed from offset 5"},
  };
  for (const auto& c : cases) {
    ArchiveReader r(c.data);
    std::string first, second;
    ASSERT_TRUE(r.readText(first, "start time")) << c.what;
    EXPECT_FALSE(r.readText(second, "end time")) << c.what;
    ASSERT_TRUE(r.error().has_value()) << c.what;
    EXPECT_EQ(r.error()->message(), c.message) << c.what;
    std::int32_t n = 0;
    EXPECT_FALSE(r.readInt32(n, "start hour")) << c.what;
    EXPECT_EQ(r.error()->what, "end time") << c.what;  // the first failure is kept
  }
}

TEST(ArchivePrimitives, LittleEndianIntegersAndFloats) {
  ArchiveWriter w;
  w.writeInt32(-2);
  const float values[] = {5.1f, -1.0f};
  w.writeFloats(values);
  EXPECT_EQ(w.bytes(), Prefix({0xFE, 0xFF, 0xFF, 0xFF, 0x33, 0x33, 0xA3, 0x40, 0x00, 0x00, 0x80, 0xBF}));
  ArchiveReader r(w.bytes());
  std::int32_t n = 0;
  float back[2] = {};
  EXPECT_TRUE(r.readInt32(n, "count"));
  EXPECT_TRUE(r.readFloats(back, "values"));
  EXPECT_EQ(n, -2);
  EXPECT_EQ(back[0], 5.1f);
  EXPECT_EQ(back[1], -1.0f);
}

}  // namespace
}  // namespace pv
