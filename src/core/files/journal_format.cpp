// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/journal_format.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "link/units.h"

namespace pv {
namespace {

std::uint32_t Crc(const std::uint8_t* data, std::size_t size) {
  return static_cast<std::uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size)));
}

// Fixed-size little-endian fields at a running position of a fixed-size record.
class RecordWriter {
 public:
  explicit RecordWriter(std::uint8_t* out) : out_(out) {}
  void put(std::uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out_[at_++] = static_cast<std::uint8_t>(value >> (8 * k));
  }
  void putFloat(float value) { put(std::bit_cast<std::uint32_t>(value), 4); }
  void putBytes(const void* data, std::size_t size) {
    std::memcpy(out_ + at_, data, size);
    at_ += size;
  }
  // The CRC-32 of everything written so far, as the record's last field.
  void seal() { put(Crc(out_, at_), 4); }

 private:
  std::uint8_t* out_;
  std::size_t at_ = 0;
};

class RecordReader {
 public:
  explicit RecordReader(const std::uint8_t* in) : in_(in) {}
  std::uint64_t get(int bytes) {
    std::uint64_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= std::uint64_t{in_[at_++]} << (8 * k);
    return v;
  }
  float getFloat() { return std::bit_cast<float>(static_cast<std::uint32_t>(get(4))); }
  void getBytes(void* out, std::size_t size) {
    std::memcpy(out, in_ + at_, size);
    at_ += size;
  }
  // Whether the CRC-32 that follows matches everything read so far.
  bool sealed() {
    const std::uint32_t expected = Crc(in_, at_);
    return get(4) == expected;
  }

 private:
  const std::uint8_t* in_;
  std::size_t at_ = 0;
};

std::uint8_t UnitNameCode(std::string_view name) {
  for (int k = 0; k < kUnitCount; ++k)
    if (kUnits[k].name == name) return static_cast<std::uint8_t>(k);
  return kNoUnitName;
}

std::string_view UnitNameOf(std::uint8_t code) {
  return IsUnitCode(code) ? kUnits[code].name : std::string_view{};
}

// One sample record into slot i; false when it is not the record a writer made there.
bool ReadSample(const std::uint8_t* bytes, int i, SampleStore& store) {
  RecordReader in(bytes);
  if (in.get(1) != kJournalSampleTag || in.get(4) != static_cast<std::uint32_t>(i)) return false;
  const float value = in.getFloat();
  const float fullScale = in.getFloat();
  const float toPsi = in.getFloat();
  SampleText text;
  in.getBytes(text.data(), text.size());
  const auto unit = static_cast<std::uint8_t>(in.get(1));
  const auto unitName = static_cast<std::uint8_t>(in.get(1));
  const auto relative = static_cast<std::uint8_t>(in.get(1));
  if (!in.sealed()) return false;
  // Every reader of the store indexes the unit table by these codes.
  if (!IsUnitCode(unit) || (unitName != kNoUnitName && !IsUnitCode(unitName)) || relative > 1) return false;
  store.values[i] = value;
  store.fullScaleAt[i] = fullScale;
  store.toPsiAt[i] = toPsi;
  store.texts[i] = text;
  store.unitAt[i] = unit;
  store.unitNameAt[i] = UnitNameOf(unitName);
  store.relativeAt[i] = relative;
  return true;
}

}  // namespace

JournalHeaderBytes EncodeJournalHeader(const JournalHeader& header) {
  JournalHeaderBytes bytes{};
  RecordWriter out(bytes.data());
  out.putBytes(kJournalMagic.data(), kJournalMagic.size());
  out.put(kJournalVersion, 2);
  out.put(kJournalHeaderFields, 2);
  out.put(static_cast<std::uint64_t>(static_cast<std::int64_t>(header.startTime)), 8);
  out.put(static_cast<std::uint32_t>(header.intervalMs), 4);
  out.seal();
  return bytes;
}

JournalSampleBytes EncodeJournalSample(const SampleStore& store, int i) {
  JournalSampleBytes bytes{};
  RecordWriter out(bytes.data());
  out.put(kJournalSampleTag, 1);
  out.put(static_cast<std::uint32_t>(i), 4);
  out.putFloat(store.values[i]);
  out.putFloat(store.fullScaleAt[i]);
  out.putFloat(store.toPsiAt[i]);
  out.putBytes(store.texts[i].data(), store.texts[i].size());
  out.put(store.unitAt[i], 1);
  out.put(UnitNameCode(store.unitNameAt[i]), 1);
  out.put(store.relativeAt[i], 1);
  out.seal();
  return bytes;
}

FileResult<DecodedJournal> DecodeJournal(std::span<const std::uint8_t> bytes, SampleStore& store) {
  if (bytes.size() < kJournalHeaderSize || !std::equal(kJournalMagic.begin(), kJournalMagic.end(), bytes.begin()))
    return FileError{"not a run journal"};
  RecordReader in(bytes.data());
  in.get(8);
  const auto version = in.get(2);
  if (version != kJournalVersion)
    return FileError{"journal version " + std::to_string(version) + " is not known to this program"};
  const auto payload = in.get(2);
  DecodedJournal result;
  result.header.startTime = static_cast<std::time_t>(static_cast<std::int64_t>(in.get(8)));
  result.header.intervalMs = static_cast<int>(static_cast<std::int32_t>(in.get(4)));
  if (payload != kJournalHeaderFields || !in.sealed() || result.header.intervalMs < 1000)
    return FileError{"the journal's header is damaged"};

  std::size_t at = kJournalHeaderSize;
  int& n = result.samples;
  while (n < kMaxSamples && bytes.size() - at >= kJournalSampleSize && ReadSample(bytes.data() + at, n, store)) {
    ++n;
    at += kJournalSampleSize;
  }
  result.droppedBytes = bytes.size() - at;
  return result;
}

}  // namespace pv
