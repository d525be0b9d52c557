// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chart/cursor_bar.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common/look.h"
#include "ui/common/ui_constants.h"

namespace pv::ui {
namespace {

struct Item {
  const char* label;  // nullptr: an edit box
  int box;            // index into the nine texts
  int x, y, w;        // pixels
};

// Three rows: the two cursors, the extremes with their times, the average and Clear.
constexpr Item kItems[] = {
    {"CursorA", -1, 10, 10, 70},
    {nullptr, 0, 84, 8, 90},
    {"@", -1, 178, 10, 14},
    {nullptr, 1, 194, 8, 80},
    {"CursorB", -1, 300, 10, 70},
    {nullptr, 2, 374, 8, 90},
    {"@", -1, 468, 10, 14},
    {nullptr, 3, 484, 8, 80},
    {"Max.Between A and B", -1, 10, 38, 160},
    {nullptr, 4, 174, 36, 90},
    {"@", -1, 268, 38, 14},
    {nullptr, 6, 284, 36, 80},
    {"Min. Between A and B", -1, 380, 38, 160},
    {nullptr, 5, 544, 36, 90},
    {"@", -1, 638, 38, 14},
    {nullptr, 7, 654, 36, 80},
    {"Avg.Between A and B", -1, 10, 66, 160},
    {nullptr, 8, 174, 64, 90},
};

}  // namespace

CursorBar::CursorBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CursorBar"));
  UseBarLook(*this);
  const QFont font = BarFont();
  for (const auto& item : kItems) {
    if (item.label) {
      auto* label = new QLabel(QString::fromLatin1(item.label), this);
      label->setFont(font);
      label->move(item.x, item.y);
      label->adjustSize();
    } else {
      auto* edit = new QLineEdit(this);
      edit->setReadOnly(true);
      edit->setFocusPolicy(Qt::NoFocus);
      edit->setFont(font);
      edit->setGeometry(item.x, item.y, item.w, 22);
      boxes_[item.box] = edit;
    }
  }
  clear_ = new QPushButton(QStringLiteral("Clear"), this);
  clear_->setFont(font);
  clear_->setGeometry(284, 64, 80, 24);
  clear_->setEnabled(false);
  connect(clear_, &QPushButton::clicked, this, &CursorBar::clearClicked);
}

void CursorBar::setTexts(const std::array<std::string, 9>& texts, bool clearEnabled) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const QString t = QString::fromStdString(texts[i]);
    if (boxes_[i]->text() != t) boxes_[i]->setText(t);
  }
  clear_->setEnabled(clearEnabled);
}

}  // namespace pv::ui
