// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The status bar's message, which knows whether it says "Ready": every frame from the
// meter asks, and reading the label's text back each time would cost more than the frame.
#include <QLabel>

namespace pv::ui {

class StatusMessage : public QLabel {
 public:
  explicit StatusMessage(QWidget* parent) : QLabel(QStringLiteral("Ready"), parent) {}

  void say(const QString& text) {
    setText(text);
    ready_ = text == QStringLiteral("Ready");
  }
  bool saysReady() const { return ready_; }

 private:
  bool ready_ = true;
};

}  // namespace pv::ui
