// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/keys.h"

#include "link/link.h"
#include "stats/statistics.h"

namespace pv {
namespace {

// The statistics of a recording are shown only while it lasts.
void EmptyStatistics(AppModel& model, ModelObserver& observer) {
  ClearStatisticsTexts(model.statsBar);
  observer.statisticsChanged();
}

// LIGHT, ZERO and UNITS change nothing on the panel: the meter's next readings show it.
// clang-format off
constexpr KeyRow kKeyTable[kKeyCount] = {
  // key, caption, command, accepted {need, refuse}; panel row, its flags before sending,
  //   then, reopens the port
  {Key::Hold,   "HOLD",   Command::Hold,   {kLinkActive, kRecording},
     PanelRow::HoldKey,   false, nullptr,         false},
  {Key::Unhold, "UNHOLD", Command::Unhold, {kHolding, 0},
     PanelRow::UnholdKey, false, nullptr,         false},
  {Key::Rec,    "REC",    Command::Rec,    {kLinkActive, kHolding | kRelative},
     PanelRow::Recording, true,  nullptr,         false},
  {Key::Unrec,  "UNREC",  Command::Unrec,  {0, kHolding},
     PanelRow::UnrecKey,  false, EmptyStatistics, true},
  {Key::Light,  "LIGHT",  Command::Light,  {kLinkActive, 0},
     std::nullopt,        false, nullptr,         false},
  {Key::Zero,   "ZERO",   Command::Zero,   {kMonitoring, kRunning | kHolding | kRelative | kRecording},
     std::nullopt,        false, nullptr,         false},
  {Key::Units,  "UNITS",  Command::Units,  {kLinkActive, kHolding | kRelative | kRecording},
     std::nullopt,        false, nullptr,         false},
  {Key::Dif,    "DIF",    Command::Dif,    {kLinkActive, kHolding | kRecording},
     PanelRow::DifKey,    true,  nullptr,         false},
  {Key::Undif,  "UNDIF",  Command::Undif,  {kRelative, kHolding},
     PanelRow::UndifKey,  true,  nullptr,         false},
};
// clang-format on

constexpr bool RowsInKeyOrder() {
  for (int k = 0; k < kKeyCount; ++k)
    if (kKeyTable[k].key != static_cast<Key>(k)) return false;
  return true;
}
static_assert(RowsInKeyOrder(), "the key table is indexed by Key");

// The flags left, the status word with its live redraw, then the keys.
void AfterSending(AppModel& model, const KeyRow& row, ModelObserver& observer) {
  if (!row.panel) return;
  if (!row.flagsFirst) ApplyPanelRowFlags(model, *row.panel);
  std::vector<PanelField> words;
  ApplyPanelRowDisplay(model, *row.panel, &words);
  if (row.after) row.after(model, observer);
  for (const PanelField word : words) observer.panelFieldChanged(word);
  observer.panelChanged();
}

}  // namespace

const KeyRow& KeyRowOf(Key key) {
  return kKeyTable[static_cast<int>(key)];
}

bool KeyAccepted(const AppModel& model, Key key) {
  if (static_cast<unsigned>(key) >= kKeyCount || model.run.rangeError != RangeError::None) return false;
  return IsOpen(KeyRowOf(key).accepted, ConditionsNow(model));
}

bool PressKey(AppModel& model, SerialPort& port, Key key, ModelObserver& observer, std::string* portError) {
  if (!KeyAccepted(model, key)) return false;
  const KeyRow& row = KeyRowOf(key);
  if (row.panel && row.flagsFirst) ApplyPanelRowFlags(model, *row.panel);
  std::string error = Guarded([&] { SendCommand(port, row.command, SendPrep::Key); });
  if (row.reopensPort) {
    std::string reopenError = Guarded([&] {
      if (!port.isOpen()) port.open();
    });
    if (error.empty()) error = std::move(reopenError);
  }
  AfterSending(model, row, observer);
  if (portError) *portError = std::move(error);
  return true;
}

}  // namespace pv
