// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversion between the program's UTF-8 texts and the single-byte Windows-1252 texts
// that data-logger files store (files written on Windows hold that code page).
#include <cstdint>
#include <string>
#include <string_view>

namespace pv {

// Characters Windows-1252 cannot represent, and malformed UTF-8, become '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

// Every byte maps to one character; the five bytes Windows-1252 leaves undefined map to
// the control characters of the same number, as Windows itself converts them.
std::string Windows1252ToUtf8(std::string_view bytes);

// One Unicode character as Windows-1252, or '?' when it has no single-byte form.
char CodePointToWindows1252(std::uint32_t codePoint);

// Appends one Unicode character to a UTF-8 text.
void AppendUtf8(std::string& out, std::uint32_t codePoint);

}  // namespace pv
