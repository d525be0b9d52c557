#include "link/ingest.h"

#include <cmath>
#include <cstring>
#include <string_view>
#include <variant>
#include <vector>

#include "chart/acquisition.h"
#include "files/statistics.h"
#include "link/frame.h"
#include "link/link.h"
#include "link/units.h"
#include "link/watchdog.h"
#include "panel/panel_rows.h"
#include "text_format.h"

namespace pv {
namespace {

// Five received characters can spell numbers no meter shows ("9e999"); such a value
// is kept finite and far out of range so that it is shown but never counts as a reading.
constexpr double kGarbledLimit = 1.0e6;

constexpr const char* kErrorTexts[] = {"ERR1", "ERR2", "ERR3", "ERR4"};

// The unit bookkeeping of one slot, from the current unit.
void WriteSlotUnit(ViewStore& view, int i) {
  const UnitInfo& unit = kUnits[view.m_nUnit];
  view.m_strUnitAt[i] = unit.name;
  view.m_nUnitAt[i] = static_cast<std::uint8_t>(view.m_nUnit);
  view.m_fToPsiAt[i] = unit.toPsi;
  view.m_fFullScaleAt[i] = unit.fullScale;
}

void NoteSignOfLife(AppModel& model) {
  MarkLinkAlive(model.frame);
  model.frame.m_bPortMenuEnabled.fill(false);
}

// The received number cut toward zero to the unit's resolution. The 0.0001 nudge keeps
// decimals without an exact binary form (1.229) from losing their last digit.
float TruncatedReading(const SampleText& text, int resolution) {
  double v = ParseLeadingNumber(std::string_view(text.data(), text.size()));
  if (std::isnan(v)) v = kGarbledLimit;
  if (std::fabs(v) >= kGarbledLimit) return static_cast<float>(std::copysign(kGarbledLimit, v));
  const float nudged = static_cast<float>(v >= 0 ? v + 0.0001 : v - 0.0001);
  const int steps = static_cast<int>(nudged * static_cast<float>(resolution));
  return static_cast<float>(steps) / static_cast<float>(resolution);
}

// How many characters of the received text the panel shows: fewer for the units with
// large numbers, so that the display keeps its width. Magnitudes the table leaves open
// show the whole text.
std::size_t ReadingLength(int unit, float x) {
  const bool small = x >= -10.0f && x < 10.0f;
  const bool tens = (x >= 10.0f && x < 100.0f) || (x >= -100.0f && x < -10.0f);
  switch (unit) {
    case 1:  // ozin
    case 6:  // kPa
    case 9:  // ftH2O
      return small ? 5 : 6;
    case 4:   // mbar
    case 5:   // mmHg
    case 8:   // inH2O
    case 10:  // cmH2O
      return small ? 4 : tens ? 5 : 6;
    default:
      return 6;
  }
}

// A text is cut at a NUL byte, as the meter's characters are C text on display.
std::string ShownText(const SampleText& text, std::size_t n) {
  const std::size_t len = strnlen(text.data(), n);
  return std::string(text.data(), len);
}

void IngestReading(AppModel& model, const Reading& r, int i, std::time_t now, ModelObserver& observer) {
  MainFrameState& frame = model.frame;
  ViewStore& view = model.view;
  DocumentStore& doc = model.doc;
  PanelState& panel = model.panel;
  IngestState& ingest = model.ingest;

  view.m_nRangeError = 0;
  const float last = ingest.g_fLastReading;
  if (last > -kReadingLimit && last < kReadingLimit) {
    if (!ingest.g_bPrevRelative) frame.m_fRelativeRef = last;
    if (!ingest.g_bHeldFrozen) view.m_strHeldReading = panel.m_strReading;
    ingest.g_bHeldValid = true;
  }

  // A unit code outside the table keeps the unit of the previous frames, for the
  // slot's bookkeeping too.
  if (IsUnitCode(r.unit)) view.m_nUnit = r.unit;
  const UnitInfo& unit = kUnits[view.m_nUnit];
  WriteSlotUnit(view, i);
  view.m_fFullScale = unit.fullScale;
  view.m_strUnitName = unit.name;
  view.m_nResolution = unit.resolution;

  model.bar.battery = r.batteryLow() ? "Low" : "Normal";

  if (r.plain()) {
    ResetStatistics(model.stats, model.bar);
    ApplyPlainRow(model);
    ingest.g_bHeldFrozen = false;
    observer.panelChanged();
  }
  if (r.recording()) {
    ApplyRecRow(model);
    observer.panelChanged();
  }
  if (r.mode() != 0) {
    ApplyHoldRelativeRow(model, r.mode());
    observer.panelChanged();
  }

  if (frame.m_bRunRequested && frame.m_bStopped) {
    StartRun(model, now, observer);
    i = 0;
    WriteSlotUnit(view, i);  // the new run's first slot needs its unit as well
  }

  SampleText& text = doc.m_szText[i];
  text.fill('\0');
  text[0] = r.negative() ? '-' : '+';
  std::memcpy(text.data() + 1, r.magnitude.data(), r.magnitude.size());

  const float v = TruncatedReading(text, view.m_nResolution);
  doc.m_fValue[i] = v;
  ingest.g_fLastReading = v;

  view.m_bRelativeAt[i] = 0;
  if (frame.m_bRelative) {
    doc.m_fValue[i] = frame.m_fRelativeRef + v;
    view.m_bRelativeAt[i] = 1;
  }
  ingest.g_bPrevRelative = view.m_bRelativeAt[i] != 0;

  const float x = doc.m_fValue[i];
  if (x > -kReadingLimit && x < kReadingLimit) {
    view.m_bNewSample = true;
    NoteSignOfLife(model);
    if (!frame.m_bRunning) view.m_bMonitoring = true;
  }

  observer.panelFieldChanged(PanelField::DifWord);
  observer.panelFieldChanged(PanelField::RecWord);
  observer.panelFieldChanged(PanelField::HoldWord);

  if (!view.m_bMonitoring) EnableKey(panel, Key::Zero, false);

  // A change of full scale between two readings rescales the chart.
  ingest.fullScaleHistory[ingest.fullScaleSlot] = view.m_fFullScaleAt[i];
  ingest.fullScaleSlot ^= 1;
  if (ingest.fullScaleHistory[0] != ingest.fullScaleHistory[1]) observer.updateAllViews();

  panel.m_strReading = ShownText(text, ReadingLength(view.m_nUnit, x));
  if (frame.m_bHold && frame.m_nHoldError == 0 && ingest.g_bHeldValid) {
    panel.m_strReading = view.m_strHeldReading;
    ingest.g_bHeldFrozen = true;
  }
  if (frame.m_nHoldError >= 1 && frame.m_nHoldError <= 4)
    panel.m_strReading = kErrorTexts[frame.m_nHoldError - 1];
  panel.m_strUnit = unit.label;

  observer.panelFieldChanged(PanelField::Reading);
  observer.panelFieldChanged(PanelField::Unit);
  observer.panelFieldChanged(PanelField::UnitMarks);

  if (frame.m_bRecording) StatisticsStep(model.stats, model.bar, doc.m_fValue[i], view.m_nRangeError, now);
}

void IngestError(AppModel& model, const MeterError& e, int i, std::time_t now, ModelObserver& observer) {
  MainFrameState& frame = model.frame;
  ViewStore& view = model.view;
  const int n = e.number();
  if (n != 0) {
    model.panel.m_strReading = kErrorTexts[n - 1];
    const bool high = n == 1 || n == 3;
    view.m_bRelativeAt[i] = n >= 3 ? 1 : 0;
    model.doc.m_fValue[i] = high ? kErrorHigh : kErrorLow;
    view.m_fFullScaleAt[i] = kErrorFullScale;
    view.m_strUnitAt[i] = kUnits[kUnitPsi].name;
    view.m_fToPsiAt[i] = kErrorToPsi;
    view.m_nRangeError = high ? 1 : 2;
    if (frame.m_bHold) frame.m_nHoldError = n;
    if (n <= 2 && frame.m_bRecording) StatisticsRangeReport(model.stats, model.bar, n, now);
  }
  frame.m_bRecording = false;
  view.m_bNewSample = true;
  NoteSignOfLife(model);
  ApplyRangeErrorRow(model.panel);
  observer.panelFieldChanged(PanelField::Reading);
  observer.panelChanged();
}

}  // namespace

void OnReceiveNotification(AppModel& model, SerialPort& port, std::time_t now, ModelObserver& observer) {
  model.doc.m_nSample = model.view.m_nSample;
  bool dataReceived = false;
  std::vector<std::uint8_t> block;
  Guarded([&] {
    if (!port.lastEventIsDataReceived()) {
      port.discardInput();
      return;
    }
    dataReceived = true;
    block = port.readAll();
    port.discardInput();
  });
  if (dataReceived) IngestBlock(model, block, now, observer);
}

void IngestBlock(AppModel& model, std::span<const std::uint8_t> block, std::time_t now,
                 ModelObserver& observer) {
  const bool wasMonitoring = model.view.m_bMonitoring;
  const int i = model.view.m_nSample;
  // The open slot is always inside the store; a model in any other state is left alone.
  if (i >= 0 && i < kStoreCapacity) {
    const Decoded decoded = DecodeBlock(block);
    if (const auto* reading = std::get_if<Reading>(&decoded)) {
      IngestReading(model, *reading, i, now, observer);
    } else if (const auto* error = std::get_if<MeterError>(&decoded)) {
      IngestError(model, *error, i, now, observer);
    }
  }
  StopIfStoreFull(model, observer);
  if (model.view.m_bMonitoring != wasMonitoring) observer.commandsChanged();
  observer.statisticsChanged();
}

}  // namespace pv
