#include "panel/keys.h"

#include "link/link.h"
#include "panel/panel_rows.h"
#include "stats/statistics.h"

namespace pv {
namespace {

void StartRecording(AppModel& model, ModelObserver&) {
  model.flags.recording = true;
}
void StartRelative(AppModel& model, ModelObserver&) {
  model.flags.relative = true;
}
void EndRelative(AppModel& model, ModelObserver&) {
  model.flags.relative = false;
}
void StartHold(AppModel& model, ModelObserver&) {
  model.flags.hold = true;
}

// A hold that ends forgets the range error it was holding.
void EndHold(AppModel& model, ModelObserver&) {
  model.flags.hold = false;
  model.flags.holdError = 0;
}

// The statistics of a recording are shown only while it lasts.
void EndRecording(AppModel& model, ModelObserver& observer) {
  model.flags.recording = false;
  ClearStatisticsTexts(model.statsBar);
  observer.statisticsChanged();
}

constexpr StatusWord kHoldStatus{&PanelState::holdWord, kHoldWord, PanelField::HoldWord};
constexpr StatusWord kDifStatus{&PanelState::difWord, kDifWord, PanelField::DifWord};
constexpr StatusWord kRecStatus{&PanelState::recWord, kRecWord, PanelField::RecWord};

constexpr KeyEnable kAfterHold[] = {Disable(Key::Rec), Disable(Key::Dif), Disable(Key::Undif),
                                    Disable(Key::Zero), Disable(Key::Units)};
constexpr KeyEnable kAfterUnhold[] = {Enable(Key::Rec, {0, kRelative}), Enable(Key::Dif), Enable(Key::Undif),
                                      Enable(Key::Zero, {kMonitoring, kRelative}),
                                      Enable(Key::Units, {0, kRelative})};
constexpr KeyEnable kAfterRec[] = {Disable(Key::Hold), Disable(Key::Dif), Disable(Key::Zero),
                                   Disable(Key::Units)};
constexpr KeyEnable kAfterUnrec[] = {Enable(Key::Hold), Enable(Key::Dif), Enable(Key::Zero, {kMonitoring}),
                                     Enable(Key::Units)};
constexpr KeyEnable kAfterDif[] = {Disable(Key::Rec), Disable(Key::Zero), Disable(Key::Units)};
constexpr KeyEnable kAfterUndif[] = {Enable(Key::Rec), Enable(Key::Zero, {kMonitoring}), Enable(Key::Units)};

// LIGHT, ZERO and UNITS change nothing on the panel: the meter's next readings show it.
// clang-format off
constexpr KeyRow kKeyTable[kKeyCount] = {
  // key, caption, command, accepted {need, refuse};
  //   flags before sending, after it, status word, word shown, key states, replaced by, reopens the port
  {Key::Hold,   "HOLD",   Command::Hold,   {kLinkActive, kRecording},
     nullptr,        StartHold,    &kHoldStatus, true,  kAfterHold,   Key::Unhold,  false},
  {Key::Unhold, "UNHOLD", Command::Unhold, {kHolding, 0},
     nullptr,        EndHold,      &kHoldStatus, false, kAfterUnhold, Key::Hold,    false},
  {Key::Rec,    "REC",    Command::Rec,    {kLinkActive, kHolding | kRelative},
     StartRecording, nullptr,      &kRecStatus,  true,  kAfterRec,    Key::Unrec,   false},
  {Key::Unrec,  "UNREC",  Command::Unrec,  {0, kHolding},
     nullptr,        EndRecording, &kRecStatus,  false, kAfterUnrec,  Key::Rec,     true},
  {Key::Light,  "LIGHT",  Command::Light,  {kLinkActive, 0},
     nullptr,        nullptr,      nullptr,      false, {},           std::nullopt, false},
  {Key::Zero,   "ZERO",   Command::Zero,   {kMonitoring, kRunning | kHolding | kRelative | kRecording},
     nullptr,        nullptr,      nullptr,      false, {},           std::nullopt, false},
  {Key::Units,  "UNITS",  Command::Units,  {kLinkActive, kHolding | kRelative | kRecording},
     nullptr,        nullptr,      nullptr,      false, {},           std::nullopt, false},
  {Key::Dif,    "DIF",    Command::Dif,    {kLinkActive, kHolding | kRecording},
     StartRelative,  nullptr,      &kDifStatus,  true,  kAfterDif,    Key::Undif,   false},
  {Key::Undif,  "UNDIF",  Command::Undif,  {kRelative, kHolding},
     EndRelative,    nullptr,      &kDifStatus,  false, kAfterUndif,  Key::Dif,     false},
};
// clang-format on

constexpr bool RowsInKeyOrder() {
  for (int k = 0; k < kKeyCount; ++k)
    if (kKeyTable[k].key != static_cast<Key>(k)) return false;
  return true;
}
static_assert(RowsInKeyOrder(), "the key table is indexed by Key");

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

// The flag changes after sending, the status word with its live redraw, then the keys.
void AfterSending(AppModel& model, const KeyRow& row, ModelObserver& observer) {
  if (row.after) row.after(model, observer);
  PanelState& panel = model.panel;
  if (row.word) {
    std::string& text = panel.*(row.word->text);
    if (row.wordOn)
      text = row.word->shown;
    else
      text.clear();
    observer.panelFieldChanged(row.word->field);
  }
  const Conditions now = ConditionsNow(model);
  for (const KeyEnable& e : row.sets) EnableKey(panel, e.key, e.enable && IsOpen(e.gate, now));
  if (!row.replacedBy) return;
  SetKey(panel, *row.replacedBy, true, true);
  panel.key(row.key).shown = false;
  observer.panelChanged();
}

}  // namespace

const KeyRow& KeyRowOf(Key key) {
  return kKeyTable[static_cast<int>(key)];
}

bool KeyAccepted(const AppModel& model, Key key) {
  if (static_cast<unsigned>(key) >= kKeyCount || model.run.rangeError != 0) return false;
  return IsOpen(KeyRowOf(key).accepted, ConditionsNow(model));
}

bool PressKey(AppModel& model, SerialPort& port, Key key, ModelObserver& observer, std::string* portError) {
  if (!KeyAccepted(model, key)) return false;
  const KeyRow& row = KeyRowOf(key);
  if (row.before) row.before(model, observer);
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
