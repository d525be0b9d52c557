// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The little-endian archive primitives of data-logger files: 32-bit integers, arrays of
// 32-bit floats, raw bytes and length-prefixed single-byte texts. Texts are UTF-8 in the
// program and Windows-1252 in the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// Longest text a reader accepts. The meter's files hold times and unit names; a longer
// length prefix means a damaged or hostile file, not a real text.
inline constexpr std::size_t kMaxArchiveText = 65535;

class ArchiveWriter {
 public:
  void reserve(std::size_t bytes) { bytes_.reserve(bytes); }
  void writeInt32(std::int32_t value);
  void writeFloats(std::span<const float> values);
  void writeBytes(std::span<const std::uint8_t> bytes);
  // Length prefix (1 byte up to 254, 0xFF + 16 bits up to 65533, else 0xFF 0xFFFF + 32
  // bits), then the text in Windows-1252.
  void writeText(std::string_view utf8);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

  // Bytes writeText adds for this text.
  static std::size_t TextSize(std::string_view utf8);

 private:
  void writeLength(std::size_t length);
  std::vector<std::uint8_t> bytes_;
};

// What went wrong, and at which byte of the file the failing field starts.
struct ArchiveError {
  std::string what;    // the field being read, "start time"
  std::size_t offset;  // where that field starts
  std::string reason;  // "needs 4 bytes, 2 left"
  std::string message() const;
};

// Reads from a memory buffer and never past its end. The first failure is kept and
// every later read fails at once, so a caller can read a whole layout and check once.
class ArchiveReader {
 public:
  explicit ArchiveReader(std::span<const std::uint8_t> data) : data_(data) {}

  bool readInt32(std::int32_t& out, std::string_view what);
  bool readFloats(std::span<float> out, std::string_view what);
  bool readBytes(std::span<std::uint8_t> out, std::string_view what);
  // Accepts both the single-byte form and the UTF-16 form (0xFF 0xFFFE, then a second
  // prefix counting 16-bit characters); either way the result is UTF-8.
  bool readText(std::string& out, std::string_view what);

  bool ok() const { return !error_; }
  const std::optional<ArchiveError>& error() const { return error_; }
  std::size_t offset() const { return offset_; }
  std::size_t remaining() const { return data_.size() - offset_; }

  // Records a failure found by the caller (a value out of range) at the given offset.
  bool fail(std::string_view what, std::size_t at, std::string reason);

 private:
  bool need(std::size_t bytes, std::string_view what, std::size_t fieldStart);
  bool readLength(std::size_t& length, bool& utf16, std::string_view what, std::size_t fieldStart);
  std::uint8_t u8();
  std::uint16_t u16();
  std::uint32_t u32();

  std::span<const std::uint8_t> data_;
  std::size_t offset_ = 0;
  std::optional<ArchiveError> error_;
};

}  // namespace pv
