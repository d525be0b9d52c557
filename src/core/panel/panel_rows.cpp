// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/panel_rows.h"

#include <optional>

#include "link/frame.h"

namespace pv {
namespace {

// A flag or status word a row turns on, turns off, or leaves.
enum class Turn : std::uint8_t { Leave, On, Off };

enum class KeyOp : std::uint8_t {
  Disable,
  Enable,        // enabled when its gate is open, disabled otherwise
  Show,          // shown and enabled
  ShowDisabled,  // shown but disabled
  Hide,
};

struct KeyChange {
  Key key;
  KeyOp op;
  Gate gate;
};

constexpr KeyChange Disable(Key key) {
  return {key, KeyOp::Disable, {}};
}
constexpr KeyChange Enable(Key key, Gate gate = {}) {
  return {key, KeyOp::Enable, gate};
}
constexpr KeyChange Show(Key key) {
  return {key, KeyOp::Show, {}};
}
constexpr KeyChange ShowDisabled(Key key) {
  return {key, KeyOp::ShowDisabled, {}};
}
constexpr KeyChange Hide(Key key) {
  return {key, KeyOp::Hide, {}};
}

struct RowDef {
  PanelRow row;
  std::optional<PanelRow> base;  // applied before this row's words and keys
  Turn hold, relative, recording;
  bool endsHoldError;  // a hold that ends forgets the range error it was holding
  Turn holdWord, difWord, recWord;
  std::span<const KeyChange> keys;
};

constexpr KeyChange kHoldModeKeys[] = {Disable(Key::Rec),   Disable(Key::Dif), Disable(Key::Zero),
                                       Disable(Key::Units), Show(Key::Unhold), Hide(Key::Hold)};
constexpr KeyChange kRecModeKeys[] = {Disable(Key::Hold),  Disable(Key::Dif), Disable(Key::Zero),
                                      Disable(Key::Units), Show(Key::Unrec),  Hide(Key::Rec)};
constexpr KeyChange kDifModeKeys[] = {Disable(Key::Rec), Disable(Key::Zero), Disable(Key::Units),
                                      Show(Key::Undif), Hide(Key::Dif)};
constexpr KeyChange kPlainKeys[] = {Show(Key::Hold),    Show(Key::Dif),     Show(Key::Rec),
                                    Enable(Key::Units), Enable(Key::Light), Enable(Key::Zero, {kMonitoring}),
                                    Hide(Key::Unrec),   Hide(Key::Unhold),  Hide(Key::Undif)};
constexpr KeyChange kRelativeKeys[] = {Show(Key::Hold), Hide(Key::Unhold)};
constexpr KeyChange kHoldingRelativeKeys[] = {ShowDisabled(Key::Undif), Show(Key::Unhold), Hide(Key::Hold)};
constexpr KeyChange kRangeErrorKeys[] = {Disable(Key::Hold),  Disable(Key::Unhold), Disable(Key::Rec),
                                         Disable(Key::Unrec), Disable(Key::Zero),   Disable(Key::Units),
                                         Disable(Key::Dif),   Disable(Key::Undif)};
constexpr KeyChange kLinkLostKeys[] = {Disable(Key::Hold),  Disable(Key::Unhold), Disable(Key::Rec),
                                       Disable(Key::Unrec), Disable(Key::Light),  Disable(Key::Zero),
                                       Disable(Key::Units), Disable(Key::Dif),    Disable(Key::Undif)};
// A HOLD pressed in DIF locks UNDIF too; the meter's hold-and-relative row agrees.
constexpr KeyChange kHoldKeyExtra[] = {Disable(Key::Undif)};
constexpr KeyChange kUnholdKeyKeys[] = {Enable(Key::Rec, {0, kRelative}),
                                        Enable(Key::Dif),
                                        Enable(Key::Undif),
                                        Enable(Key::Zero, {kMonitoring, kRelative}),
                                        Enable(Key::Units, {0, kRelative}),
                                        Show(Key::Hold),
                                        Hide(Key::Unhold)};
constexpr KeyChange kUnrecKeyKeys[] = {Enable(Key::Hold),  Enable(Key::Dif), Enable(Key::Zero, {kMonitoring}),
                                       Enable(Key::Units), Show(Key::Rec),   Hide(Key::Unrec)};
constexpr KeyChange kUndifKeyKeys[] = {Enable(Key::Rec), Enable(Key::Zero, {kMonitoring}), Enable(Key::Units),
                                       Show(Key::Dif), Hide(Key::Undif)};

constexpr Turn Keep = Turn::Leave;
constexpr Turn On = Turn::On;
constexpr Turn Off = Turn::Off;

// clang-format off
constexpr RowDef kRows[] = {
  // row, starts from, flags: hold, relative, recording, ends hold error;
  //   words: HOLD, DIF, REC; keys
  {PanelRow::HoldMode,        {},                 Keep, Keep, Keep, false, On,   Keep, Keep, kHoldModeKeys},
  {PanelRow::RecMode,         {},                 Keep, Keep, Keep, false, Keep, Keep, On,   kRecModeKeys},
  {PanelRow::DifMode,         {},                 Keep, Keep, Keep, false, Keep, On,   Keep, kDifModeKeys},
  {PanelRow::Plain,           {},                 Off,  Off,  Off,  true,  Off,  Off,  Off,  kPlainKeys},
  {PanelRow::Recording,       PanelRow::RecMode,  Keep, Keep, On,   false, Keep, Keep, Keep, {}},
  {PanelRow::Holding,         PanelRow::HoldMode, On,   Off,  Keep, false, Keep, Keep, Keep, {}},
  {PanelRow::Relative,        PanelRow::DifMode,  Off,  On,   Keep, true,  Off,  Keep, Keep, kRelativeKeys},
  {PanelRow::HoldingRelative, PanelRow::DifMode,  On,   On,   Keep, false, On,   Keep, Keep, kHoldingRelativeKeys},
  {PanelRow::RangeError,      {},                 Keep, Keep, Keep, false, Keep, Keep, Keep, kRangeErrorKeys},
  {PanelRow::LinkLost,        {},                 Keep, Keep, Keep, false, Off,  Off,  Off,  kLinkLostKeys},
  {PanelRow::HoldKey,         PanelRow::HoldMode, On,   Keep, Keep, false, Keep, Keep, Keep, kHoldKeyExtra},
  {PanelRow::UnholdKey,       {},                 Off,  Keep, Keep, true,  Off,  Keep, Keep, kUnholdKeyKeys},
  {PanelRow::UnrecKey,        {},                 Keep, Keep, Off,  false, Keep, Keep, Off,  kUnrecKeyKeys},
  {PanelRow::DifKey,          PanelRow::DifMode,  Keep, On,   Keep, false, Keep, Keep, Keep, {}},
  {PanelRow::UndifKey,        {},                 Keep, Off,  Keep, false, Keep, Off,  Keep, kUndifKeyKeys},
};
// clang-format on

constexpr bool RowsInOrder() {
  for (int r = 0; r < static_cast<int>(std::size(kRows)); ++r)
    if (kRows[r].row != static_cast<PanelRow>(r)) return false;
  return true;
}
static_assert(RowsInOrder(), "the row table is indexed by PanelRow");

const RowDef& RowOf(PanelRow row) {
  return kRows[static_cast<int>(row)];
}

void TurnFlag(bool& flag, Turn turn) {
  if (turn != Turn::Leave) flag = turn == Turn::On;
}

void TurnWord(std::string& text, Turn turn, const char* word, PanelField field,
              std::vector<PanelField>* changed) {
  if (turn == Turn::Leave) return;
  if (turn == Turn::On)
    text = word;
  else
    text.clear();
  if (changed) changed->push_back(field);
}

void ChangeKey(PanelState& panel, const KeyChange& change, Conditions now) {
  KeyState& key = panel.key(change.key);
  switch (change.op) {
    case KeyOp::Disable:
      key.enabled = false;
      break;
    case KeyOp::Enable:
      key.enabled = IsOpen(change.gate, now);
      break;
    case KeyOp::Show:
      key = {true, true};
      break;
    case KeyOp::ShowDisabled:
      key = {true, false};
      break;
    case KeyOp::Hide:
      key.shown = false;
      break;
  }
}

void ApplyDisplay(PanelState& panel, const RowDef& def, Conditions now, std::vector<PanelField>* changed) {
  if (def.base) ApplyDisplay(panel, RowOf(*def.base), now, changed);
  TurnWord(panel.holdWord, def.holdWord, kHoldWord, PanelField::HoldWord, changed);
  TurnWord(panel.difWord, def.difWord, kDifWord, PanelField::DifWord, changed);
  TurnWord(panel.recWord, def.recWord, kRecWord, PanelField::RecWord, changed);
  for (const KeyChange& change : def.keys) ChangeKey(panel, change, now);
}

}  // namespace

Conditions ConditionsNow(const AppModel& model) {
  const ProgramFlags& f = model.flags;
  const bool monitoring = model.run.phase == RunPhase::Monitoring;
  const bool running = RunGoing(model.run.phase);
  Conditions c = 0;
  if (running || monitoring) c |= kLinkActive;
  if (monitoring) c |= kMonitoring;
  if (running) c |= kRunning;
  if (f.hold) c |= kHolding;
  if (f.relative) c |= kRelative;
  if (f.recording) c |= kRecording;
  return c;
}

bool IsOpen(Gate gate, Conditions now) {
  return (now & gate.need) == gate.need && (now & gate.refuse) == 0;
}

void ApplyPanelRowFlags(AppModel& model, PanelRow row) {
  const RowDef& def = RowOf(row);
  ProgramFlags& flags = model.flags;
  TurnFlag(flags.hold, def.hold);
  TurnFlag(flags.relative, def.relative);
  TurnFlag(flags.recording, def.recording);
  if (def.endsHoldError) flags.holdError = 0;
}

void ApplyPanelRowDisplay(AppModel& model, PanelRow row, std::vector<PanelField>* changedWords) {
  ApplyDisplay(model.panel, RowOf(row), ConditionsNow(model), changedWords);
}

void ApplyPanelRow(AppModel& model, PanelRow row, std::vector<PanelField>* changedWords) {
  ApplyPanelRowFlags(model, row);
  ApplyPanelRowDisplay(model, row, changedWords);
}

void ApplyHoldRelativeRow(AppModel& model, std::uint8_t mode) {
  switch (mode & kStatusModeMask) {
    case kStatusHold:
      ApplyPanelRow(model, PanelRow::Holding);
      break;
    case kStatusRelative:
      ApplyPanelRow(model, PanelRow::Relative);
      break;
    case kStatusModeMask:
      ApplyPanelRow(model, PanelRow::HoldingRelative);
      break;
    default:
      break;
  }
}

// These rows have no flags and no gated keys, so the panel alone serves.
void ApplyRangeErrorRow(PanelState& panel) {
  ApplyDisplay(panel, RowOf(PanelRow::RangeError), 0, nullptr);
}

void ApplyLinkLostRow(PanelState& panel) {
  panel.reading = kLinkLostReading;
  panel.unit.assign(1, ' ');
  ApplyDisplay(panel, RowOf(PanelRow::LinkLost), 0, nullptr);
}

void SetKey(PanelState& panel, Key key, bool shown, bool enabled) {
  panel.key(key) = {shown, enabled};
}

void EnableKey(PanelState& panel, Key key, bool enabled) {
  panel.key(key).enabled = enabled;
}

}  // namespace pv
