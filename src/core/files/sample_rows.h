// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One neutral view of a run's samples for the table writers, so that the same rules
// serve the live sample store and a loaded data-logger file.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "app_model.h"
#include "chart/sample_store.h"
#include "logger/logger_store.h"

namespace pv {

struct SampleRow {
  float value = 0.0f;  // in the sample's own unit
  SampleText text{};   // sign and the five characters the meter showed
  int unitCode = 0;
  std::string_view unitName;
  bool relative = false;  // taken in DIF mode
  int errorKind = 0;      // 0, 1 for +5.1 ("ERR1"), 2 for -5.1 ("ERR2")
  std::string time;       // "%H:%M:%S"
  // Local wall-clock seconds since 1970-01-01 00:00 when dated; otherwise (a data-logger
  // file keeps no date) seconds since midnight of the run's first day, past 86400 after it.
  std::int64_t localSeconds = 0;
  bool dated = false;
  int utcOffset = 0;  // when dated: localSeconds less this is UTC
};

class SampleRows {
 public:
  virtual ~SampleRows() = default;
  virtual int size() const = 0;
  virtual SampleRow row(int i) const = 0;
};

// The committed samples of the current run. Error samples are recognised by value and
// factor to psi; times are the run start + i whole-second intervals, in local time.
class LiveRunRows final : public SampleRows {
 public:
  explicit LiveRunRows(const AppModel& model) : model_(model) {}
  int size() const override;
  SampleRow row(int i) const override;

 private:
  const AppModel& model_;
};

// Dates a record may tell lie within the years 0000 to 9999, well inside these seconds.
inline constexpr std::int64_t kMaxDateSeconds = std::int64_t{400} * 366 * 86400 * 25;

// The records of a loaded data-logger file. A file keeps no DIF flags, so every record
// counts as not relative; error records are recognised as the logger graph does, by
// value and full scale 52. The file keeps only the start's time of day, so times are
// that time of day + i whole-second intervals, wrapping at midnight.
class LoggerFileRows final : public SampleRows {
 public:
  // startUtc: the run's first sample in UTC seconds, when a record bound to the file
  // tells it. Row i is then dated startUtc + i intervals, shown in the local time zone at
  // the start's UTC offset, provided that the start's local time of day is the one the
  // file says; otherwise the rows stay undated.
  explicit LoggerFileRows(const LoggerStore& store, std::optional<std::int64_t> startUtc = std::nullopt)
      : store_(store), startUtc_(startUtc) {}
  int size() const override;
  SampleRow row(int i) const override;

 private:
  const LoggerStore& store_;
  std::optional<std::int64_t> startUtc_;
};

// ISO 8601 with the UTC offset of a dated row ("2026-12-10T14:03:00+01:00"); empty when
// the row is not dated.
std::string IsoDateTime(const SampleRow& row);

// The UTC seconds of an IsoDateTime text (an offset is required); none for any other text.
std::optional<std::int64_t> ParseIsoDateTime(std::string_view text);

// "%H:%M:%S" of a number of seconds since midnight (any value, taken modulo a day).
std::string FormatTimeOfDay(std::int64_t seconds);

}  // namespace pv
