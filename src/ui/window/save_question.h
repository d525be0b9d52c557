// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The save question put before Run resets the chart and when the main window closes
// with a run on show.
#include <QString>

#include "ui/window/dialogs.h"

class QWidget;

namespace pv::ui {

// Yes and No answer it; Escape and the box's close button cancel the command that
// asked, where a plain question box would take them as No.
SaveAnswer AskSaveQuestion(const QString& question, QWidget* parent);

}  // namespace pv::ui
