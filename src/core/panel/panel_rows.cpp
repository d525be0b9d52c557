#include "panel/panel_rows.h"

#include "link/frame.h"

namespace pv {

void SetKey(PanelState& panel, Key key, bool shown, bool enabled) {
  panel.key(key) = {shown, enabled};
}

void EnableKey(PanelState& panel, Key key, bool enabled) {
  panel.key(key).enabled = enabled;
}

void ApplyPlainRow(AppModel& model) {
  ProgramFlags& flags = model.flags;
  PanelState& panel = model.panel;
  flags.recording = false;
  flags.relative = false;
  flags.hold = false;
  flags.holdError = 0;
  panel.holdWord.clear();
  panel.difWord.clear();
  panel.recWord.clear();
  SetKey(panel, Key::Hold, true, true);
  SetKey(panel, Key::Dif, true, true);
  SetKey(panel, Key::Rec, true, true);
  EnableKey(panel, Key::Units, true);
  EnableKey(panel, Key::Light, true);
  EnableKey(panel, Key::Zero, model.run.phase == RunPhase::Monitoring);
  panel.key(Key::Unrec).shown = false;
  panel.key(Key::Unhold).shown = false;
  panel.key(Key::Undif).shown = false;
}

void ApplyRecRow(AppModel& model) {
  PanelState& panel = model.panel;
  model.flags.recording = true;
  panel.recWord = kRecWord;
  EnableKey(panel, Key::Hold, false);
  EnableKey(panel, Key::Dif, false);
  EnableKey(panel, Key::Zero, false);
  EnableKey(panel, Key::Units, false);
  SetKey(panel, Key::Unrec, true, true);
  panel.key(Key::Rec).shown = false;
}

void ApplyHoldRelativeRow(AppModel& model, std::uint8_t mode) {
  ProgramFlags& flags = model.flags;
  PanelState& panel = model.panel;
  switch (mode & kStatusModeMask) {
    case kStatusHold:
      flags.hold = true;
      flags.relative = false;
      panel.holdWord = kHoldWord;
      EnableKey(panel, Key::Rec, false);
      EnableKey(panel, Key::Dif, false);
      EnableKey(panel, Key::Zero, false);
      EnableKey(panel, Key::Units, false);
      SetKey(panel, Key::Unhold, true, true);
      panel.key(Key::Hold).shown = false;
      break;
    case kStatusRelative:
      flags.relative = true;
      flags.hold = false;
      flags.holdError = 0;
      panel.holdWord.clear();
      panel.difWord = kDifWord;
      EnableKey(panel, Key::Rec, false);
      EnableKey(panel, Key::Zero, false);
      EnableKey(panel, Key::Units, false);
      SetKey(panel, Key::Undif, true, true);
      SetKey(panel, Key::Hold, true, true);
      panel.key(Key::Dif).shown = false;
      panel.key(Key::Unhold).shown = false;
      break;
    case kStatusModeMask:
      flags.hold = true;
      flags.relative = true;
      panel.holdWord = kHoldWord;
      panel.difWord = kDifWord;
      EnableKey(panel, Key::Rec, false);
      EnableKey(panel, Key::Zero, false);
      EnableKey(panel, Key::Units, false);
      SetKey(panel, Key::Undif, true, false);
      SetKey(panel, Key::Unhold, true, true);
      panel.key(Key::Dif).shown = false;
      panel.key(Key::Hold).shown = false;
      break;
    default:
      break;
  }
}

void ApplyRangeErrorRow(PanelState& panel) {
  for (int k = 0; k < kKeyCount; ++k) {
    if (static_cast<Key>(k) != Key::Light) panel.keys[k].enabled = false;
  }
}

void ApplyLinkLostRow(PanelState& panel) {
  panel.reading = kLinkLostReading;
  panel.unit.assign(1, ' ');
  panel.holdWord.clear();
  panel.difWord.clear();
  panel.recWord.clear();
  for (auto& k : panel.keys) k.enabled = false;
}

}  // namespace pv
