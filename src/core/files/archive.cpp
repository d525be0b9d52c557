// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/archive.h"

#include <bit>
#include <cstring>
#include <limits>

#include "files/windows1252.h"

namespace pv {
namespace {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559, "files store IEEE singles");

constexpr std::uint8_t kLongLength = 0xFF;
constexpr std::uint16_t kUtf16Marker = 0xFFFE;
constexpr std::uint16_t kHugeLength = 0xFFFF;

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

void ArchiveWriter::writeInt32(std::int32_t value) {
  PutLE(bytes_, static_cast<std::uint32_t>(value), 4);
}

void ArchiveWriter::writeFloats(std::span<const float> values) {
  const std::size_t start = bytes_.size();
  bytes_.resize(start + 4 * values.size());
  if constexpr (std::endian::native == std::endian::little) {
    if (!values.empty()) std::memcpy(bytes_.data() + start, values.data(), 4 * values.size());
  } else {
    for (std::size_t i = 0; i < values.size(); ++i) {
      const auto bits = std::bit_cast<std::uint32_t>(values[i]);
      for (int k = 0; k < 4; ++k) bytes_[start + 4 * i + k] = static_cast<std::uint8_t>(bits >> (8 * k));
    }
  }
}

void ArchiveWriter::writeBytes(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ArchiveWriter::writeLength(std::size_t length) {
  if (length < kLongLength) {
    bytes_.push_back(static_cast<std::uint8_t>(length));
  } else if (length < kUtf16Marker) {
    bytes_.push_back(kLongLength);
    PutLE(bytes_, static_cast<std::uint32_t>(length), 2);
  } else {
    bytes_.push_back(kLongLength);
    PutLE(bytes_, kHugeLength, 2);
    PutLE(bytes_, static_cast<std::uint32_t>(length), 4);
  }
}

void ArchiveWriter::writeText(std::string_view utf8) {
  const std::string single = Utf8ToWindows1252(utf8);
  writeLength(single.size());
  bytes_.insert(bytes_.end(), single.begin(), single.end());
}

std::size_t ArchiveWriter::TextSize(std::string_view utf8) {
  const std::size_t length = Utf8ToWindows1252(utf8).size();
  if (length < kLongLength) return 1 + length;
  if (length < kUtf16Marker) return 3 + length;
  return 7 + length;
}

std::string ArchiveError::message() const {
  return what + " at offset " + std::to_string(offset) + ": " + reason;
}

bool ArchiveReader::fail(std::string_view what, std::size_t at, std::string reason) {
  if (!error_) error_ = ArchiveError{std::string(what), at, std::move(reason)};
  return false;
}

bool ArchiveReader::need(std::size_t bytes, std::string_view what, std::size_t fieldStart) {
  if (error_) return false;
  if (bytes <= remaining()) return true;
  return fail(what, fieldStart,
              "the file ends after " + std::to_string(data_.size()) + " bytes, " + std::to_string(bytes) +
                  " more needed from offset " + std::to_string(offset_));
}

std::uint8_t ArchiveReader::u8() {
  return data_[offset_++];
}

std::uint16_t ArchiveReader::u16() {
  const std::uint16_t v = static_cast<std::uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
  offset_ += 2;
  return v;
}

std::uint32_t ArchiveReader::u32() {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(data_[offset_ + i]) << (8 * i);
  offset_ += 4;
  return v;
}

bool ArchiveReader::readInt32(std::int32_t& out, std::string_view what) {
  if (!need(4, what, offset_)) return false;
  out = static_cast<std::int32_t>(u32());
  return true;
}

bool ArchiveReader::readFloats(std::span<float> out, std::string_view what) {
  const std::size_t start = offset_;
  if (!need(out.size() * 4, what, start)) return false;
  if constexpr (std::endian::native == std::endian::little) {
    if (!out.empty()) std::memcpy(out.data(), data_.data() + offset_, 4 * out.size());
    offset_ += 4 * out.size();
  } else {
    for (float& f : out) f = std::bit_cast<float>(u32());
  }
  return true;
}

bool ArchiveReader::readBytes(std::span<std::uint8_t> out, std::string_view what) {
  if (!need(out.size(), what, offset_)) return false;
  if (!out.empty()) std::memcpy(out.data(), data_.data() + offset_, out.size());
  offset_ += out.size();
  return true;
}

bool ArchiveReader::readLength(std::size_t& length, bool& utf16, std::string_view what,
                               std::size_t fieldStart) {
  if (!need(1, what, fieldStart)) return false;
  const std::uint8_t first = u8();
  if (first != kLongLength) {
    length = first;
    return true;
  }
  if (!need(2, what, fieldStart)) return false;
  const std::uint16_t second = u16();
  if (second == kUtf16Marker) {
    if (utf16) return fail(what, fieldStart, "the UTF-16 marker is repeated");
    utf16 = true;
    return readLength(length, utf16, what, fieldStart);
  }
  if (second != kHugeLength) {
    length = second;
    return true;
  }
  if (!need(4, what, fieldStart)) return false;
  length = u32();
  return true;
}

bool ArchiveReader::readText(std::string& out, std::string_view what) {
  const std::size_t start = offset_;
  std::size_t length = 0;
  bool utf16 = false;
  if (!readLength(length, utf16, what, start)) return false;
  if (length > kMaxArchiveText) {
    return fail(what, start,
                "text length " + std::to_string(length) + " exceeds the " + std::to_string(kMaxArchiveText) +
                    " characters a data file can hold");
  }
  if (!utf16) {
    if (!need(length, what, start)) return false;
    out = Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(data_.data() + offset_), length));
    offset_ += length;
    return true;
  }
  // Files written by a Unicode build hold UTF-16; the program keeps what a single-byte
  // build would have read, so the same file gives the same texts either way.
  if (!need(2 * length, what, start)) return false;
  std::string single;
  single.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint16_t unit = u16();
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length) {
      const std::uint16_t low = static_cast<std::uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        offset_ += 2;
        ++i;
        single += '?';
        continue;
      }
    }
    single += (unit >= 0xD800 && unit <= 0xDFFF) ? '?' : CodePointToWindows1252(unit);
  }
  out = Windows1252ToUtf8(single);
  return true;
}

}  // namespace pv
