// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/windows1252.h"

#include <array>

namespace pv {
namespace {

// Code points of bytes 0x80..0x9F; the undefined bytes keep their own number.
constexpr std::array<std::uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::uint32_t ByteToCodePoint(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
  return b;
}

// Decodes one UTF-8 sequence at text[i]; returns the code point and advances i, or
// returns 0xFFFFFFFF for a malformed sequence (skipping one byte).
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  std::uint32_t cp = 0;
  std::uint32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return 0xFFFFFFFF;
  }
  if (i + extra >= text.size()) {
    ++i;
    return 0xFFFFFFFF;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFFFFFF;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += extra + 1;
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFFFFFF;
  return cp;
}

}  // namespace

char CodePointToWindows1252(std::uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
  for (std::size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == codePoint) return static_cast<char>(0x80 + k);
  }
  return '?';
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::uint32_t cp = NextCodePoint(utf8, i);
    out += cp == 0xFFFFFFFF ? '?' : CodePointToWindows1252(cp);
  }
  return out;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace pv
