#pragma once
// The save question put when the main window closes with a run on show.
#include <QString>

#include "ui/window/main_window.h"

class QWidget;

namespace pv::ui {

// Yes and No answer it; Escape and the box's close button cancel the close, where a
// plain question box would take them as No.
CloseAnswer AskCloseQuestion(const QString& question, QWidget* parent);

}  // namespace pv::ui
