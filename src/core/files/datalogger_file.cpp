// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/datalogger_file.h"

#include <algorithm>

#include "files/archive.h"
#include "files/read_file.h"
#include "link/units.h"

namespace pv {
namespace {

static_assert(sizeof(SampleText) == 6, "reading texts are stored as six packed bytes");

std::span<const std::uint8_t> AsBytes(const std::vector<SampleText>& texts, std::size_t count) {
  return {reinterpret_cast<const std::uint8_t*>(texts.data()), 6 * count};
}

std::span<std::uint8_t> AsBytes(std::vector<SampleText>& texts, std::size_t count) {
  return {reinterpret_cast<std::uint8_t*>(texts.data()), 6 * count};
}

}  // namespace

std::vector<std::uint8_t> EncodeDataLoggerFile(const AppModel& model) {
  const SampleStore& store = model.store;
  const RunState& run = model.run;
  // The store never holds more than its capacity; the clamp keeps a corrupted count
  // from reading past the arrays.
  const int n = std::clamp(store.sampleCount, 0, kStoreCapacity);
  const auto count = static_cast<std::size_t>(n);
  const std::string_view unitName = n > 0 ? store.unitNameAt[count - 1] : std::string_view{};

  ArchiveWriter out;
  out.reserve(4 + ArchiveWriter::TextSize("") + ArchiveWriter::TextSize(run.startText) +
              ArchiveWriter::TextSize(run.endText) + ArchiveWriter::TextSize(unitName) + 16 +
              15 * count);
  out.writeInt32(n);
  out.writeText("");  // the header is always empty
  out.writeText(run.startText);
  out.writeText(run.endText);
  out.writeText(unitName);
  out.writeInt32(run.startHour);
  out.writeInt32(run.startMinute);
  out.writeInt32(run.startSecond);
  out.writeInt32(run.intervalMs);
  out.writeFloats(std::span(store.values).first(count));
  out.writeFloats(std::span(store.fullScaleAt).first(count));
  out.writeBytes(AsBytes(store.texts, count));
  out.writeBytes(std::span(store.unitAt).first(count));
  return out.take();
}

FileResult<DecodedLoggerFile> DecodeDataLoggerFile(std::span<const std::uint8_t> bytes) {
  ArchiveReader in(bytes);

  // The header is read and checked before the record arrays are allocated, so that a
  // file that is not one costs no more than its header.
  std::int32_t count = 0;
  if (in.readInt32(count, "sample count") && (count < 0 || count > kMaxLoggerRecords)) {
    in.fail("sample count", 0,
            std::to_string(count) + " is outside 0.." + std::to_string(kMaxLoggerRecords) + " records");
  }
  std::string header, startText, endText, unitName;
  std::int32_t startHour = 0, startMinute = 0, startSecond = 0, intervalMs = 0;
  in.readText(header, "header text");
  in.readText(startText, "start time");
  in.readText(endText, "end time");
  in.readText(unitName, "unit name");
  in.readInt32(startHour, "start hour");
  in.readInt32(startMinute, "start minute");
  in.readInt32(startSecond, "start second");
  in.readInt32(intervalMs, "sample interval");
  if (!in.ok()) return FileError{in.error()->message()};

  DecodedLoggerFile result;
  LoggerStore& s = result.store;
  s.header = std::move(header);
  s.startText = std::move(startText);
  s.endText = std::move(endText);
  s.unitName = std::move(unitName);
  s.startHour = startHour;
  s.startMinute = startMinute;
  s.startSecond = startSecond;
  s.intervalMs = intervalMs;
  const auto m = static_cast<std::size_t>(count);
  in.readFloats(std::span(s.values).first(m), "values");
  in.readFloats(std::span(s.fullScaleAt).first(m), "full-scale values");
  in.readBytes(AsBytes(s.texts, m), "reading texts");
  const std::size_t unitsAt = in.offset();
  in.readBytes(std::span(s.unitAt).first(m), "unit codes");
  if (!in.ok()) return FileError{in.error()->message()};

  // Every reader indexes the unit table by these codes.
  for (std::size_t i = 0; i < m; ++i) {
    if (!IsUnitCode(s.unitAt[i])) {
      in.fail("unit code of record " + std::to_string(i + 1), unitsAt + i,
              std::to_string(s.unitAt[i]) + " is not a unit code (0.." + std::to_string(kUnitCount - 1) +
                  ")");
      return FileError{in.error()->message()};
    }
  }

  s.recordCount = count;
  s.loaded = true;
  result.trailingBytes = in.remaining();
  return result;
}

FileResult<DecodedLoggerFile> LoadDataLoggerFile(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return bytes.error();
  auto decoded = DecodeDataLoggerFile(bytes.value());
  if (!decoded) return FileError{path + ": " + decoded.error().message};
  return decoded;
}

void AdoptLoggerFile(LoggerStore& shown, DecodedLoggerFile&& loaded) {
  shown = std::move(loaded.store);
  shown.loaded = true;
}

}  // namespace pv
