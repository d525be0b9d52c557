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

inline const QColor kPanelBackground(217, 218, 212);
inline const QColor kDisplayGreen(168, 191, 163);
inline const QColor kBarBackground(240, 240, 240);

// Command ids of the menus, the toolbar and the bars.
enum CommandId {
  ID_FILE_SAVE_RUN = 32814,
  ID_FILE_PRINT = 57607,
  ID_APP_EXIT = 57665,
  ID_RUN = 32771,
  ID_STOP = 32772,
  ID_UNDO_ZOOM = 32811,
  ID_POWER_OFF = 32812,
  ID_COM1 = 32783,
  ID_COM2 = 32784,
  ID_COM3 = 32785,
  ID_COM4 = 32786,
  ID_OTHER_COM = 32817,
  ID_APP_ABOUT = 57664,
  ID_HELP_CONTENTS = 32779,
  ID_COMPUTER_COMMAND = 32780,
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_BAR_OPEN = 1001,
  ID_BAR_EXPORT = 1002,
  ID_CURSOR_CLEAR = 1044,
};

}  // namespace pv::ui
