// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sizes and colours of the windows, named once.
#include <QColor>
#include <QRect>

namespace pv::ui {

// Dialog templates are laid out in dialog units of 2 pixels each way.
inline constexpr int kDialogUnit = 2;
inline QRect Dlu(int x, int y, int w, int h) {
  return QRect(x * kDialogUnit, y * kDialogUnit, w * kDialogUnit, h * kDialogUnit);
}

// The toolbar's strip at the top of the main window's client area, where the bars'
// places are counted from; docked at a side, its width.
inline constexpr int kToolBarThickness = 30;

inline const QColor kPanelBackground(217, 218, 212);
inline const QColor kDisplayGreen(168, 191, 163);
inline const QColor kBarBackground(240, 240, 240);

// The commands of the menus, the toolbar and the logger window.
enum class WindowCommand {
  SaveRun,
  Print,
  Exit,
  Run,
  Stop,
  UndoZoom,
  PowerOff,
  Com1,
  Com2,
  Com3,
  Com4,
  OtherPort,
  About,
  HelpContents,
  ComputerCommand,
  NewDocument,
  OpenDocument,
  LoggerDownload,
  LoggerZoomOut,
  HoldTest,
};

// COM1..COM4 of the port menu, k = 1..4.
constexpr WindowCommand PortCommand(int k) { return static_cast<WindowCommand>(static_cast<int>(WindowCommand::Com1) + k - 1); }

}  // namespace pv::ui
