// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/workbook_check.h"

#include <zlib.h>

#include <string_view>
#include <vector>

namespace pv {
namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::size_t kLargestPart = 256u << 20;  // no part of a run's workbook nears it

class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> b) : b_(b) {}
  bool has(std::size_t at, std::size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  std::uint32_t u16(std::size_t at) const { return b_[at] | b_[at + 1] << 8; }
  std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
  std::span<const std::uint8_t> span(std::size_t at, std::size_t n) const { return b_.subspan(at, n); }
  std::size_t size() const { return b_.size(); }

 private:
  std::span<const std::uint8_t> b_;
};

std::optional<std::string> Inflated(std::span<const std::uint8_t> in, std::uint32_t method,
                                    std::size_t size) {
  if (method == 0) return std::string(in.begin(), in.end());
  if (method != Z_DEFLATED || size > kLargestPart) return std::nullopt;
  std::string out(size, '\0');
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  const bool whole = status == Z_STREAM_END && z.total_out == size;
  inflateEnd(&z);
  return whole ? std::optional(std::move(out)) : std::nullopt;
}

// Whether an XML part ends with the end of the element it starts with.
bool EndsItsRoot(std::string_view xml) {
  std::size_t open = xml.find('<');
  while (open != std::string_view::npos && open + 1 < xml.size() &&
         (xml[open + 1] == '?' || xml[open + 1] == '!'))
    open = xml.find('<', open + 1);
  if (open == std::string_view::npos) return false;
  const std::size_t nameEnd = xml.find_first_of(" \t\r\n/>", open + 1);
  if (nameEnd == std::string_view::npos) return false;
  const std::string_view root = xml.substr(open + 1, nameEnd - open - 1);
  while (!xml.empty() && (xml.back() == '\n' || xml.back() == '\r' || xml.back() == ' '))
    xml.remove_suffix(1);
  if (xml.ends_with("/>") && xml.find('<', open + 1) == std::string_view::npos) return true;
  return xml.ends_with("</" + std::string(root) + ">");
}

bool IsXmlPart(std::string_view name) {
  return name.ends_with(".xml") || name.ends_with(".rels");
}

}  // namespace

std::optional<std::string> IncompleteWorkbookPart(std::span<const std::uint8_t> zip) {
  const Bytes b(zip);
  const std::string archive = "the archive";
  if (b.size() < 22) return archive;
  std::size_t end = b.size() - 22;
  while (b.u32(end) != kEndOfDirectory) {
    if (end == 0 || b.size() - end > 22 + 0xFFFF) return archive;
    --end;
  }
  const std::uint32_t entries = b.u16(end + 10);
  std::size_t at = b.u32(end + 16);
  if (entries == 0) return archive;
  for (std::uint32_t i = 0; i < entries; ++i) {
    if (!b.has(at, 46) || b.u32(at) != kDirectoryEntry) return archive;
    const std::uint32_t method = b.u16(at + 10), packed = b.u32(at + 20), size = b.u32(at + 24);
    const std::size_t nameLength = b.u16(at + 28), local = b.u32(at + 42);
    if (!b.has(at + 46, nameLength)) return archive;
    const auto nameBytes = b.span(at + 46, nameLength);
    const std::string name(nameBytes.begin(), nameBytes.end());
    at += 46 + nameLength + b.u16(at + 30) + b.u16(at + 32);
    if (!b.has(local, 30) || b.u32(local) != kLocalHeader) return name;
    const std::size_t data = local + 30 + b.u16(local + 26) + b.u16(local + 28);
    if (!b.has(data, packed)) return name;
    if (!IsXmlPart(name)) continue;
    const auto xml = Inflated(b.span(data, packed), method, size);
    if (!xml || !EndsItsRoot(*xml)) return name;
  }
  return std::nullopt;
}

}  // namespace pv
