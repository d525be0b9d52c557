// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/sample_rows.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "link/units.h"

namespace pv {
namespace {

constexpr std::int64_t kDay = 86400;

// The UTC offset in seconds of a moment in the local time zone: that moment's, so a
// run across a change to summer time shows the clock as it was.
int LocalOffset(std::time_t t) {
  std::tm local{};
  if (!localtime_r(&t, &local)) return 0;
  return static_cast<int>(local.tm_gmtoff);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

int DaysInMonth(std::int64_t y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// A field of exactly `width` digits at text[at].
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t width) {
  if (at + width > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

int LiveRunRows::size() const {
  return std::clamp(model_.store.sampleCount, 0, kStoreCapacity);
}

SampleRow LiveRunRows::row(int i) const {
  const SampleStore& store = model_.store;
  const RunState& run = model_.run;
  SampleRow r;
  r.value = store.values[i];
  r.text = store.texts[i];
  r.unitCode = store.unitAt[i];
  r.unitName = store.unitNameAt[i];
  r.relative = store.relativeAt[i] == 1;
  r.errorKind = ErrorKind(r.value, store.toPsiAt[i], kErrorToPsi);
  const std::time_t t = run.sampleTime(i);
  r.utcOffset = LocalOffset(t);
  r.localSeconds = std::int64_t{t} + r.utcOffset;
  r.dated = true;
  r.time = FormatTimeOfDay(r.localSeconds);
  return r;
}

int LoggerFileRows::size() const {
  return std::clamp(store_.recordCount, 0, kStoreCapacity);
}

SampleRow LoggerFileRows::row(int i) const {
  SampleRow r;
  r.value = store_.values[i];
  r.text = store_.texts[i];
  r.unitCode = store_.unitAt[i];
  r.unitName = IsUnitCode(r.unitCode) ? kUnits[r.unitCode].name : std::string_view{};
  r.relative = false;
  r.errorKind = ErrorKind(r.value, store_.fullScaleAt[i], kErrorFullScale);
  const std::int64_t start = std::int64_t{store_.startHour} * 3600 +
                             std::int64_t{store_.startMinute} * 60 + store_.startSecond;
  const std::int64_t offset = std::int64_t{i} * (store_.intervalMs / 1000);
  r.localSeconds = start + offset;
  // A date told by a record counts only when its local time of day is the file's start:
  // otherwise it names another run, or the clock or the time zone moved since. The
  // file's times run on from its start without a change to summer time, and so do the
  // dated rows, at the start's offset.
  if (startUtc_ && *startUtc_ > -kMaxDateSeconds && *startUtc_ < kMaxDateSeconds) {
    const int utcOffset = LocalOffset(static_cast<std::time_t>(*startUtc_));
    const std::int64_t localStart = *startUtc_ + utcOffset;
    if (((localStart % kDay) + kDay) % kDay == start) {
      r.localSeconds = localStart + offset;
      r.utcOffset = utcOffset;
      r.dated = true;
    }
  }
  r.time = FormatTimeOfDay(r.localSeconds);
  return r;
}

std::string IsoDateTime(const SampleRow& row) {
  if (!row.dated) return {};
  const std::int64_t days = (row.localSeconds >= 0 ? row.localSeconds : row.localSeconds - (kDay - 1)) / kDay;
  std::int64_t year = 0;
  int month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  if (year < 0 || year > 9999) return {};
  const int offset = row.utcOffset < 0 ? -row.utcOffset : row.utcOffset;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%s%c%02d:%02d", static_cast<int>(year), month, day,
                FormatTimeOfDay(row.localSeconds).c_str(), row.utcOffset < 0 ? '-' : '+', offset / 3600,
                offset / 60 % 60);
  return text;
}

std::optional<std::int64_t> ParseIsoDateTime(std::string_view text) {
  // "YYYY-MM-DDTHH:MM:SS" and "Z" or "+HH:MM" / "-HH:MM".
  if (text.size() != 20 && text.size() != 25) return std::nullopt;
  const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) || *hour > 23 ||
      *minute > 59 || *second > 59)
    return std::nullopt;
  int offset = 0;
  if (text.size() == 20) {
    if (text[19] != 'Z') return std::nullopt;
  } else {
    const auto offsetHours = Digits(text, 20, 2), offsetMinutes = Digits(text, 23, 2);
    if ((text[19] != '+' && text[19] != '-') || text[22] != ':' || !offsetHours || !offsetMinutes ||
        *offsetHours > 23 || *offsetMinutes > 59)
      return std::nullopt;
    offset = (*offsetHours * 3600 + *offsetMinutes * 60) * (text[19] == '-' ? -1 : 1);
  }
  return DaysFromCivil(*year, *month, *day) * kDay + *hour * 3600 + *minute * 60 + *second - offset;
}

std::string FormatTimeOfDay(std::int64_t seconds) {
  constexpr std::int64_t kDay = 86400;
  const std::int64_t s = ((seconds % kDay) + kDay) % kDay;
  char out[9];
  const int parts[3] = {static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)};
  for (int k = 0; k < 3; ++k) {
    out[3 * k] = static_cast<char>('0' + parts[k] / 10);
    out[3 * k + 1] = static_cast<char>('0' + parts[k] % 10);
    if (k < 2) out[3 * k + 2] = ':';
  }
  return std::string(out, 8);
}

}  // namespace pv
