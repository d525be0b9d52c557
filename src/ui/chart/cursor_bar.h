// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The cursor bar under the chart: value and time at cursors A and B, and the maximum,
// minimum and average between them, with the Clear button.
#include <QWidget>
#include <array>
#include <string>

class QLineEdit;
class QPushButton;

namespace pv::ui {

class CursorBar : public QWidget {
  Q_OBJECT
 public:
  explicit CursorBar(QWidget* parent);


  // The nine texts in the order of CursorBarTexts::boxes().
  void setTexts(const std::array<std::string, 9>& texts, bool clearEnabled);

 signals:
  void clearClicked();

 private:
  std::array<QLineEdit*, 9> boxes_{};
  QPushButton* clear_ = nullptr;
};

}  // namespace pv::ui
