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
  MainFrameState& frame = model.frame;
  PanelState& panel = model.panel;
  frame.m_bRecording = false;
  frame.m_bRelative = false;
  frame.m_bHold = false;
  frame.m_nHoldError = 0;
  panel.m_strHoldWord.clear();
  panel.m_strDifWord.clear();
  panel.m_strRecWord.clear();
  SetKey(panel, Key::Hold, true, true);
  SetKey(panel, Key::Dif, true, true);
  SetKey(panel, Key::Rec, true, true);
  EnableKey(panel, Key::Units, true);
  EnableKey(panel, Key::Light, true);
  EnableKey(panel, Key::Zero, model.view.m_bMonitoring);
  panel.key(Key::Unrec).shown = false;
  panel.key(Key::Unhold).shown = false;
  panel.key(Key::Undif).shown = false;
}

void ApplyRecRow(AppModel& model) {
  PanelState& panel = model.panel;
  model.frame.m_bRecording = true;
  panel.m_strRecWord = kRecWord;
  EnableKey(panel, Key::Hold, false);
  EnableKey(panel, Key::Dif, false);
  EnableKey(panel, Key::Zero, false);
  EnableKey(panel, Key::Units, false);
  SetKey(panel, Key::Unrec, true, true);
  panel.key(Key::Rec).shown = false;
}

void ApplyHoldRelativeRow(AppModel& model, std::uint8_t mode) {
  MainFrameState& frame = model.frame;
  PanelState& panel = model.panel;
  switch (mode & kStatusModeMask) {
    case kStatusHold:
      frame.m_bHold = true;
      frame.m_bRelative = false;
      panel.m_strHoldWord = kHoldWord;
      EnableKey(panel, Key::Rec, false);
      EnableKey(panel, Key::Dif, false);
      EnableKey(panel, Key::Zero, false);
      EnableKey(panel, Key::Units, false);
      SetKey(panel, Key::Unhold, true, true);
      panel.key(Key::Hold).shown = false;
      break;
    case kStatusRelative:
      frame.m_bRelative = true;
      frame.m_bHold = false;
      frame.m_nHoldError = 0;
      panel.m_strHoldWord.clear();
      panel.m_strDifWord = kDifWord;
      EnableKey(panel, Key::Rec, false);
      EnableKey(panel, Key::Zero, false);
      EnableKey(panel, Key::Units, false);
      SetKey(panel, Key::Undif, true, true);
      SetKey(panel, Key::Hold, true, true);
      panel.key(Key::Dif).shown = false;
      panel.key(Key::Unhold).shown = false;
      break;
    case kStatusModeMask:
      frame.m_bHold = true;
      frame.m_bRelative = true;
      panel.m_strHoldWord = kHoldWord;
      panel.m_strDifWord = kDifWord;
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
  panel.m_strReading = kLinkLostReading;
  panel.m_strUnit = " ";
  panel.m_strHoldWord.clear();
  panel.m_strDifWord.clear();
  panel.m_strRecWord.clear();
  for (auto& k : panel.keys) k.enabled = false;
}

}  // namespace pv
