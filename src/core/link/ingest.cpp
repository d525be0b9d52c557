// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ingest.h"

#include <cmath>
#include <cstring>
#include <string_view>
#include <variant>
#include <vector>

#include "chart/acquisition.h"
#include "stats/statistics.h"
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
void WriteSlotUnit(SampleStore& store, const RunState& run, int i) {
  const UnitInfo& unit = kUnits[run.unit];
  store.unitNameAt[i] = unit.name;
  store.unitAt[i] = static_cast<std::uint8_t>(run.unit);
  store.toPsiAt[i] = unit.toPsi;
  store.fullScaleAt[i] = unit.fullScale;
}

void NoteSignOfLife(AppModel& model) {
  MarkLinkAlive(model.flags);
  model.flags.portMenuEnabled.fill(false);
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

// A text is cut at a NUL byte, as the meter's characters are C text on display.
std::string ShownText(const SampleText& text, std::size_t n) {
  const std::size_t len = strnlen(text.data(), n);
  return std::string(text.data(), len);
}

// Before the new reading lands: the previous one becomes the DIF reference and the
// held reading, and the frame's unit becomes the unit in force.
void TakeOverPreviousReading(AppModel& model, const Reading& r, int i) {
  IngestState& ingest = model.ingest;
  model.run.rangeError = RangeError::None;
  const float last = ingest.lastReading;
  if (last > -kReadingLimit && last < kReadingLimit) {
    if (!ingest.wasRelative) model.flags.relativeRef = last;
    if (!ingest.heldFrozen) model.run.heldReading = model.panel.reading;
    ingest.heldValid = true;
  }

  // A unit code outside the table keeps the unit of the previous frames, for the
  // slot's bookkeeping too.
  RunState& run = model.run;
  if (IsUnitCode(r.unit)) run.unit = r.unit;
  const UnitInfo& unit = kUnits[run.unit];
  WriteSlotUnit(model.store, run, i);
  run.fullScale = unit.fullScale;
  run.unitName = unit.name;
  run.resolution = unit.resolution;
}

// The panel rows the frame's status bits select.
void ApplyModeRows(AppModel& model, const Reading& r, ModelObserver& observer) {
  if (r.plain()) {
    ResetStatistics(model.stats, model.statsBar);
    ApplyPlainRow(model);
    model.ingest.heldFrozen = false;
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
}

// The received text and its value (plus the DIF reference in DIF mode) into slot i.
void StoreReading(AppModel& model, const Reading& r, int i) {
  SampleStore& store = model.store;
  SampleText& text = store.texts[i];
  text.fill('\0');
  text[0] = r.negative() ? '-' : '+';
  std::memcpy(text.data() + 1, r.magnitude.data(), r.magnitude.size());

  const float v = TruncatedReading(text, model.run.resolution);
  store.values[i] = v;
  model.ingest.lastReading = v;

  store.relativeAt[i] = 0;
  if (model.flags.relative) {
    store.values[i] = model.flags.relativeRef + v;
    store.relativeAt[i] = 1;
  }
  model.ingest.wasRelative = store.relativeAt[i] != 0;
}

// The panel's reading: the received text, the held one, or the meter's error word.
void ShowReading(AppModel& model, int i, ModelObserver& observer) {
  const ProgramFlags& flags = model.flags;
  PanelState& panel = model.panel;
  const float x = model.store.values[i];
  panel.reading = ShownText(model.store.texts[i], static_cast<std::size_t>(ShownReadingChars(model.run.unit, x)));
  if (flags.hold && flags.holdError == 0 && model.ingest.heldValid) {
    panel.reading = model.run.heldReading;
    model.ingest.heldFrozen = true;
  }
  if (flags.holdError >= 1 && flags.holdError <= 4) panel.reading = kErrorTexts[flags.holdError - 1];
  panel.unit = kUnits[model.run.unit].label;

  observer.panelFieldChanged(PanelField::Reading);
  observer.panelFieldChanged(PanelField::Unit);
  observer.panelFieldChanged(PanelField::UnitMarks);
}

void IngestReading(AppModel& model, const Reading& r, int i, std::time_t now, ModelObserver& observer) {
  ProgramFlags& flags = model.flags;
  RunState& run = model.run;
  IngestState& ingest = model.ingest;

  TakeOverPreviousReading(model, r, i);
  model.statsBar.battery = r.batteryLow() ? "Low" : "Normal";
  ApplyModeRows(model, r, observer);
  StoreReading(model, r, i);

  const float x = model.store.values[i];
  if (x > -kReadingLimit && x < kReadingLimit) {
    run.newSample = true;
    NoteSignOfLife(model);
    if (run.phase == RunPhase::Idle) run.phase = RunPhase::Monitoring;
  }

  observer.panelFieldChanged(PanelField::DifWord);
  observer.panelFieldChanged(PanelField::RecWord);
  observer.panelFieldChanged(PanelField::HoldWord);

  // ZERO waits for monitoring; the panel shows the key's new state at once.
  if (run.phase != RunPhase::Monitoring && model.panel.key(Key::Zero).enabled) {
    EnableKey(model.panel, Key::Zero, false);
    observer.panelChanged();
  }

  // A change of full scale between two readings rescales the chart.
  ingest.fullScaleHistory[ingest.fullScaleSlot] = model.store.fullScaleAt[i];
  ingest.fullScaleSlot ^= 1;
  if (ingest.fullScaleHistory[0] != ingest.fullScaleHistory[1]) observer.chartAndCommandsChanged();

  ShowReading(model, i, observer);
  if (flags.recording) StatisticsStep(model.stats, model.statsBar, x, run.rangeError != RangeError::None, now);
}

void IngestError(AppModel& model, const MeterError& e, int i, std::time_t now, ModelObserver& observer) {
  ProgramFlags& flags = model.flags;
  SampleStore& store = model.store;
  RunState& run = model.run;
  const int n = e.number();
  if (n != 0) {
    model.panel.reading = kErrorTexts[n - 1];
    const bool high = n == 1 || n == 3;
    store.relativeAt[i] = n >= 3 ? 1 : 0;
    model.store.values[i] = high ? kErrorHigh : kErrorLow;
    store.fullScaleAt[i] = kErrorFullScale;
    store.unitNameAt[i] = kUnits[kUnitPsi].name;
    store.toPsiAt[i] = kErrorToPsi;
    run.rangeError = high ? RangeError::High : RangeError::Low;
    if (flags.hold) flags.holdError = n;
    if (n <= 2 && flags.recording) StatisticsRangeReport(model.stats, model.statsBar, n, now);
  }
  flags.recording = false;
  run.newSample = true;
  NoteSignOfLife(model);
  ApplyRangeErrorRow(model.panel);
  observer.panelFieldChanged(PanelField::Reading);
  observer.panelChanged();
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReceiveBlock(SerialPort& port) {
  std::optional<std::vector<std::uint8_t>> block;
  Guarded([&] {
    if (!port.lastEventIsDataReceived()) {
      port.discardInput();
      return;
    }
    block = port.readAll();
    port.discardInput();
  });
  return block;
}

Decoded IngestBlock(AppModel& model, std::span<const std::uint8_t> block, std::time_t now,
                    ModelObserver& observer) {
  const RunPhase phaseWas = model.run.phase;
  const auto portMenuWas = model.flags.portMenuEnabled;
  const int i = model.store.sampleCount;
  // The open slot is always inside the store; a model in any other state is left alone.
  Decoded decoded;
  if (i >= 0 && i < kStoreCapacity) {
    decoded = DecodeBlock(block);
    if (const auto* reading = std::get_if<Reading>(&decoded)) {
      ++model.ingest.framesIngested;
      IngestReading(model, *reading, i, now, observer);
    } else if (const auto* error = std::get_if<MeterError>(&decoded)) {
      ++model.ingest.framesIngested;
      IngestError(model, *error, i, now, observer);
    }
  }
  StopIfStoreFull(model.store, model.flags, model.run, observer);
  // A first frame disables the port menu, whether it is a reading or an error.
  if (model.run.phase != phaseWas || model.flags.portMenuEnabled != portMenuWas)
    observer.commandsChanged();
  observer.statisticsChanged();
  return decoded;
}

}  // namespace pv
