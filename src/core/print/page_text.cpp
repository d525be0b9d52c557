// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/page_text.h"

#include <algorithm>
#include <cstdint>

namespace pv {
namespace {

constexpr std::string_view kEllipsis = "...";

int CharacterHeight(FontRole font) {
  switch (font) {
    case FontRole::kPrintTitle:
      return 25;
    case FontRole::kPrintLabel:
      return 10;
    case FontRole::kChart:
    default:
      return 14;
  }
}

// Thousandths of the character height, a little wider than Arial's advances so that
// an estimate errs towards more room.
int Advance(char32_t c) {
  if (c == ' ' || c == '.' || c == ',' || c == ':' || c == ';' || c == '\'' || c == '|' || c == '!' ||
      c == 'i' || c == 'l' || c == 'j' || c == 'I')
    return 300;
  if (c == 'f' || c == 't' || c == 'r' || c == '(' || c == ')' || c == '-' || c == '/' || c == '[' ||
      c == ']')
    return 360;
  if (c == 'm' || c == 'w' || c == 'M' || c == 'W' || c == '@' || c == '%') return 950;
  if (c >= 'A' && c <= 'Z') return 740;
  if (c < 0x80) return 580;
  return 1000;  // anything outside ASCII: as wide as a square
}

// The length in bytes of the UTF-8 sequence that starts with byte b (1 for a stray byte).
std::size_t SequenceLength(unsigned char b) {
  if (b >= 0xF0) return 4;
  if (b >= 0xE0) return 3;
  if (b >= 0xC0) return 2;
  return 1;
}

// The longest prefix (in bytes, at a character boundary) whose width fits the room. The
// width grows with each character, so the search stops at the first that overruns it.
std::size_t FittingPrefix(std::string_view text, int room, FontRole font) {
  const std::int64_t height = CharacterHeight(font);
  std::int64_t thousandths = 0;
  std::size_t best = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    thousandths += Advance(b < 0x80 ? char32_t{b} : char32_t{0x100});
    if ((thousandths * height + 999) / 1000 > room) break;
    i = std::min(text.size(), i + SequenceLength(b));
    best = i;
  }
  return best;
}

std::string CutWithEllipsis(std::string_view text, int room, FontRole font) {
  const int left = room - EstimatedTextWidth(kEllipsis, font);
  const std::size_t keep = left > 0 ? FittingPrefix(text, left, font) : 0;
  std::string out(text.substr(0, keep));
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out + std::string(kEllipsis);
}

}  // namespace

int EstimatedTextWidth(std::string_view text, FontRole font) {
  std::int64_t thousandths = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    thousandths += Advance(b < 0x80 ? char32_t{b} : char32_t{0x100});
    i += SequenceLength(b);
  }
  return static_cast<int>((thousandths * CharacterHeight(font) + 999) / 1000);
}

std::string FitText(std::string_view text, int room, FontRole font) {
  if (EstimatedTextWidth(text, font) <= room) return std::string(text);
  return CutWithEllipsis(text, room, font);
}

std::vector<std::string> WrapText(std::string_view text, int room, FontRole font, int maxLines) {
  std::vector<std::string> lines;
  if (maxLines <= 0) return lines;
  // Blank lines before and after the text are no part of it; those inside it are.
  const std::size_t first = text.find_first_not_of(" \r\n");
  if (first == std::string_view::npos) return lines;
  std::string_view rest = text.substr(first, text.find_last_not_of(" \r\n") + 1 - first);
  // No character is narrower than 3 units nor longer than 4 bytes: a line never reaches
  // further, so a long text is looked at one line's reach at a time.
  const std::size_t reach = static_cast<std::size_t>(std::max(room, 0)) / 3 * 4 + 8;
  while (true) {
    const std::string_view ahead = rest.substr(0, reach);
    const std::size_t newline = ahead.find('\n');
    const std::string_view paragraph = ahead.substr(0, newline);
    std::size_t take = FittingPrefix(paragraph, room, font);
    if (take < paragraph.size()) {
      // Break at the last blank that fits; a word longer than the line is cut inside.
      const std::size_t blank = paragraph.substr(0, take + 1).rfind(' ');
      if (blank != std::string_view::npos && blank > 0) take = blank;
    }
    if (take == 0 && !paragraph.empty()) take = std::min(paragraph.size(), SequenceLength(paragraph[0]));
    std::string line(paragraph.substr(0, take));
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    rest.remove_prefix(take);
    // A line ends at its line break, or where it was wrapped, whose blanks go with it.
    if (take == paragraph.size() && newline != std::string_view::npos) {
      rest.remove_prefix(1);
    } else {
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    }
    if (rest.empty()) {
      lines.push_back(std::move(line));
      break;
    }
    if (static_cast<int>(lines.size()) + 1 == maxLines) {
      const std::string ended = line + std::string(kEllipsis);
      lines.push_back(EstimatedTextWidth(ended, font) <= room ? ended : CutWithEllipsis(line, room, font));
      break;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace pv
