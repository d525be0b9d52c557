// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A check of a packed workbook: libxlsxwriter writes each part through a temporary
// file without looking at the result, so a full disk gives a workbook whose parts are
// empty or cut off and a success. Every XML part must end with its root element.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pv {

// The name of the first part that is empty, cut short or unreadable ("the archive" when
// the zip itself is); nullopt when every part is whole.
std::optional<std::string> IncompleteWorkbookPart(std::span<const std::uint8_t> zip);

}  // namespace pv
