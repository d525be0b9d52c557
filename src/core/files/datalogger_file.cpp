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
  const ViewStore& view = model.view;
  const DocumentStore& doc = model.doc;
  // The store never holds more than its capacity; the clamp keeps a corrupted count
  // from reading past the arrays.
  const int n = std::clamp(view.m_nSample, 0, kStoreCapacity);
  const auto count = static_cast<std::size_t>(n);
  const std::string_view unitName = n > 0 ? view.m_strUnitAt[count - 1] : std::string_view{};

  ArchiveWriter out;
  out.reserve(4 + ArchiveWriter::TextSize("") + ArchiveWriter::TextSize(view.m_strStartTime) +
              ArchiveWriter::TextSize(view.m_strEndTime) + ArchiveWriter::TextSize(unitName) + 16 +
              15 * count);
  out.writeInt32(n);
  out.writeText("");  // the header is always empty
  out.writeText(view.m_strStartTime);
  out.writeText(view.m_strEndTime);
  out.writeText(unitName);
  out.writeInt32(view.m_nStartHour);
  out.writeInt32(view.m_nStartMin);
  out.writeInt32(view.m_nStartSec);
  out.writeInt32(view.m_nSampleIntervalMs);
  out.writeFloats(std::span(doc.m_fValue).first(count));
  out.writeFloats(std::span(view.m_fFullScaleAt).first(count));
  out.writeBytes(AsBytes(doc.m_szText, count));
  out.writeBytes(std::span(view.m_nUnitAt).first(count));
  return out.take();
}

FileResult<DecodedLoggerFile> DecodeDataLoggerFile(std::span<const std::uint8_t> bytes) {
  DecodedLoggerFile result;
  LoggerStore& s = result.store;
  ArchiveReader in(bytes);

  std::int32_t count = 0;
  if (in.readInt32(count, "sample count") && (count < 0 || count > kMaxLoggerRecords)) {
    in.fail("sample count", 0,
            std::to_string(count) + " is outside 0.." + std::to_string(kMaxLoggerRecords) + " records");
  }
  in.readText(s.m_strLogHeader, "header text");
  in.readText(s.m_strLogStart, "start time");
  in.readText(s.m_strLogEnd, "end time");
  in.readText(s.m_strLogUnitName, "unit name");
  in.readInt32(s.m_nLogStartHour, "start hour");
  in.readInt32(s.m_nLogStartMin, "start minute");
  in.readInt32(s.m_nLogStartSec, "start second");
  in.readInt32(s.m_nLogIntervalMs, "sample interval");
  if (!in.ok()) return FileError{in.error()->message()};

  const auto m = static_cast<std::size_t>(count);
  in.readFloats(std::span(s.m_fLogValue).first(m), "values");
  in.readFloats(std::span(s.m_fLogFullScale).first(m), "full-scale values");
  in.readBytes(AsBytes(s.m_szLogText, m), "reading texts");
  const std::size_t unitsAt = in.offset();
  in.readBytes(std::span(s.m_nLogUnit).first(m), "unit codes");
  if (!in.ok()) return FileError{in.error()->message()};

  // Every reader indexes the unit table by these codes.
  for (std::size_t i = 0; i < m; ++i) {
    if (!IsUnitCode(s.m_nLogUnit[i])) {
      in.fail("unit code of record " + std::to_string(i + 1), unitsAt + i,
              std::to_string(s.m_nLogUnit[i]) + " is not a unit code (0.." + std::to_string(kUnitCount - 1) +
                  ")");
      return FileError{in.error()->message()};
    }
  }

  s.m_nLogCount = count;
  s.m_bLogLoaded = 1;
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
  shown.m_bLogLoaded = 1;
}

}  // namespace pv
