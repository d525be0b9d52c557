// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run journal's layout: what a recording program appends while a run goes on, so
// that a run outlives a crash, a kill or a power cut. Little-endian throughout:
//   header  "PVJRNL\r\n", version (uint16), payload size (uint16), start time (int64,
//           seconds since the epoch), interval ms (int32), CRC-32 of all before it
//   sample  tag 'S', index (uint32), value, full scale, factor to psi (float32 each),
//           six-byte text, unit code, unit-name code (0xFF: none), DIF flag (uint8 each),
//           CRC-32 of the record's other bytes
// A reader keeps every sample record up to the first that is torn, damaged or out of
// order, and never reads more than the store holds.
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "app_model.h"
#include "files/file_result.h"

namespace pv {

inline constexpr std::array<std::uint8_t, 8> kJournalMagic{'P', 'V', 'J', 'R', 'N', 'L', '\r', '\n'};
inline constexpr std::uint16_t kJournalVersion = 1;
inline constexpr std::uint16_t kJournalHeaderFields = 12;  // start time and interval
inline constexpr std::size_t kJournalHeaderSize = 8 + 2 + 2 + kJournalHeaderFields + 4;
inline constexpr std::size_t kJournalSampleSize = 30;
inline constexpr std::uint8_t kJournalSampleTag = 'S';
inline constexpr std::uint8_t kNoUnitName = 0xFF;

struct JournalHeader {
  std::time_t startTime = 0;
  int intervalMs = 0;
};

using JournalHeaderBytes = std::array<std::uint8_t, kJournalHeaderSize>;
using JournalSampleBytes = std::array<std::uint8_t, kJournalSampleSize>;

JournalHeaderBytes EncodeJournalHeader(const JournalHeader& header);
// Sample i of the store as record number i.
JournalSampleBytes EncodeJournalSample(const SampleStore& store, int i);

struct DecodedJournal {
  JournalHeader header;
  int samples = 0;                // verified records, now in the store's first slots
  std::size_t droppedBytes = 0;   // the torn or damaged tail that was left out
};

// Reads a journal's header and its sample records into store (slots 0.. samples-1).
// Fails only when the header is missing, damaged or of an unknown version; a bad
// record ends the samples there.
FileResult<DecodedJournal> DecodeJournal(std::span<const std::uint8_t> bytes, SampleStore& store);

}  // namespace pv
