#include "files/sample_rows.h"

#include <algorithm>

#include "link/units.h"
#include "text_format.h"

namespace pv {

int LiveRunRows::size() const {
  return std::clamp(model_.view.m_nSample, 0, kStoreCapacity);
}

SampleRow LiveRunRows::row(int i) const {
  const ViewStore& view = model_.view;
  const DocumentStore& doc = model_.doc;
  SampleRow r;
  r.value = doc.m_fValue[i];
  r.text = doc.m_szText[i];
  r.unitCode = view.m_nUnitAt[i];
  r.unitName = view.m_strUnitAt[i];
  r.relative = view.m_bRelativeAt[i] == 1;
  r.errorKind = ErrorKind(r.value, view.m_fToPsiAt[i], kErrorToPsi);
  r.time = FormatLocalTime(view.sampleTime(i), "%H:%M:%S");
  return r;
}

int LoggerFileRows::size() const {
  return std::clamp(store_.m_nLogCount, 0, kStoreCapacity);
}

SampleRow LoggerFileRows::row(int i) const {
  SampleRow r;
  r.value = store_.m_fLogValue[i];
  r.text = store_.m_szLogText[i];
  r.unitCode = store_.m_nLogUnit[i];
  r.unitName = IsUnitCode(r.unitCode) ? kUnits[r.unitCode].name : std::string_view{};
  r.relative = false;
  r.errorKind = ErrorKind(r.value, store_.m_fLogFullScale[i], kErrorFullScale);
  const std::int64_t start = std::int64_t{store_.m_nLogStartHour} * 3600 +
                             std::int64_t{store_.m_nLogStartMin} * 60 + store_.m_nLogStartSec;
  r.time = FormatTimeOfDay(start + std::int64_t{i} * (store_.m_nLogIntervalMs / 1000));
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
