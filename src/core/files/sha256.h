// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SHA-256 (FIPS 180-4), the fingerprint that binds a test record to its run's bytes and
// lets an auditor see later that neither changed.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pv {

// The digest as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);
std::string Sha256Hex(std::string_view text);

}  // namespace pv
