// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame.h"

#include <algorithm>

namespace pv {

Decoded DecodeBlock(std::span<const std::uint8_t> block) {
  if (block.size() < 3 || block[0] != kFrameStart) return std::monostate{};
  if (block[1] == kErrorFrame) return MeterError{block[2]};
  // Bytes 0..9 of a reading frame are examined; byte 10 carries nothing we use.
  if (block[1] == kReadingFrame && block.size() >= 10) {
    Reading r;
    r.unit = block[2];
    r.rec = block[3];
    r.status = block[4];
    std::copy(block.begin() + 5, block.begin() + 10, r.magnitude.begin());
    return r;
  }
  return std::monostate{};
}

int RepeatCount(Command c) {
  const CommandInfo* info = FindCommand(static_cast<std::uint8_t>(c));
  return info ? info->repeat : 3;
}

}  // namespace pv
