// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/sample_rows.h"

#include <algorithm>
#include <ctime>

#include "link/units.h"

namespace pv {
namespace {

// The calendar time as local wall-clock seconds: the offset of that moment, so a run
// across a change to summer time shows the clock as it was.
std::int64_t LocalWallClock(std::time_t t) {
  std::tm local{};
  if (!localtime_r(&t, &local)) return t;
  return std::int64_t{t} + local.tm_gmtoff;
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
  r.localSeconds = LocalWallClock(run.sampleTime(i));
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
  r.localSeconds = start + std::int64_t{i} * (store_.intervalMs / 1000);
  r.time = FormatTimeOfDay(r.localSeconds);
  return r;
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
