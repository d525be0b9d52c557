#include "panel/keys.h"

#include "stats/statistics.h"
#include "link/link.h"
#include "panel/panel_rows.h"

namespace pv {
namespace {

Command CommandOf(Key key) {
  switch (key) {
    case Key::Hold:
      return Command::Hold;
    case Key::Unhold:
      return Command::Unhold;
    case Key::Rec:
      return Command::Rec;
    case Key::Unrec:
      return Command::Unrec;
    case Key::Light:
      return Command::Light;
    case Key::Zero:
      return Command::Zero;
    case Key::Units:
      return Command::Units;
    case Key::Dif:
      return Command::Dif;
    case Key::Undif:
      return Command::Undif;
  }
  return Command::Light;
}

// The local changes a key makes before its frames are sent.
void BeforeSending(AppModel& model, Key key) {
  if (key == Key::Rec) model.flags.recording = true;
  if (key == Key::Dif) model.flags.relative = true;
  if (key == Key::Undif) model.flags.relative = false;
}

// The flag changes after sending, the status word with its live redraw, then the keys.
void AfterSending(AppModel& model, Key key, ModelObserver& observer) {
  ProgramFlags& flags = model.flags;
  PanelState& panel = model.panel;
  const bool monitoring = model.run.monitoring;
  switch (key) {
    case Key::Hold:
      flags.hold = true;
      panel.holdWord = kHoldWord;
      observer.panelFieldChanged(PanelField::HoldWord);
      for (Key k : {Key::Rec, Key::Dif, Key::Undif, Key::Zero, Key::Units}) EnableKey(panel, k, false);
      SetKey(panel, Key::Unhold, true, true);
      panel.key(Key::Hold).shown = false;
      break;
    case Key::Unhold: {
      flags.hold = false;
      flags.holdError = 0;
      panel.holdWord.clear();
      observer.panelFieldChanged(PanelField::HoldWord);
      const bool relative = flags.relative;
      EnableKey(panel, Key::Rec, !relative);
      EnableKey(panel, Key::Dif, true);
      EnableKey(panel, Key::Undif, true);
      EnableKey(panel, Key::Zero, monitoring && !relative);
      EnableKey(panel, Key::Units, !relative);
      SetKey(panel, Key::Hold, true, true);
      panel.key(Key::Unhold).shown = false;
      break;
    }
    case Key::Rec:
      panel.recWord = kRecWord;
      observer.panelFieldChanged(PanelField::RecWord);
      for (Key k : {Key::Hold, Key::Dif, Key::Zero, Key::Units}) EnableKey(panel, k, false);
      SetKey(panel, Key::Unrec, true, true);
      panel.key(Key::Rec).shown = false;
      break;
    case Key::Unrec:
      flags.recording = false;
      ClearStatisticsTexts(model.statsBar);
      observer.statisticsChanged();
      panel.recWord.clear();
      observer.panelFieldChanged(PanelField::RecWord);
      EnableKey(panel, Key::Hold, true);
      EnableKey(panel, Key::Dif, true);
      EnableKey(panel, Key::Zero, monitoring);
      EnableKey(panel, Key::Units, true);
      SetKey(panel, Key::Rec, true, true);
      panel.key(Key::Unrec).shown = false;
      break;
    case Key::Dif:
      panel.difWord = kDifWord;
      observer.panelFieldChanged(PanelField::DifWord);
      for (Key k : {Key::Rec, Key::Zero, Key::Units}) EnableKey(panel, k, false);
      SetKey(panel, Key::Undif, true, true);
      panel.key(Key::Dif).shown = false;
      break;
    case Key::Undif:
      panel.difWord.clear();
      observer.panelFieldChanged(PanelField::DifWord);
      EnableKey(panel, Key::Rec, true);
      EnableKey(panel, Key::Zero, monitoring);
      EnableKey(panel, Key::Units, true);
      SetKey(panel, Key::Dif, true, true);
      panel.key(Key::Undif).shown = false;
      break;
    case Key::Units:
    case Key::Light:
    case Key::Zero:
      return;  // the meter's next readings show the effect
  }
  observer.panelChanged();
}

}  // namespace

bool KeyAccepted(const AppModel& model, Key key) {
  const ProgramFlags& f = model.flags;
  const RunState& run = model.run;
  if (run.rangeError != 0) return false;
  const bool linkActive = f.running || run.monitoring;
  switch (key) {
    case Key::Hold:
      return linkActive && !f.recording;
    case Key::Unhold:
      return f.hold;
    case Key::Rec:
      return linkActive && !f.hold && !f.relative;
    case Key::Unrec:
      return !f.hold;
    case Key::Dif:
      return linkActive && !f.hold && !f.recording;
    case Key::Undif:
      return !f.hold && f.relative;
    case Key::Units:
      return linkActive && !f.hold && !f.relative && !f.recording;
    case Key::Light:
      return linkActive;
    case Key::Zero:
      return run.monitoring && !f.running && !f.hold && !f.relative && !f.recording;
  }
  return false;
}

bool PressKey(AppModel& model, SerialPort& port, Key key, ModelObserver& observer, std::string* portError) {
  if (!KeyAccepted(model, key)) return false;
  BeforeSending(model, key);
  std::string error = Guarded([&] { SendCommand(port, CommandOf(key), SendPrep::Key); });
  if (key == Key::Unrec) {
    std::string reopenError = Guarded([&] {
      if (!port.isOpen()) port.open();
    });
    if (error.empty()) error = std::move(reopenError);
  }
  AfterSending(model, key, observer);
  if (portError) *portError = std::move(error);
  return true;
}

}  // namespace pv
