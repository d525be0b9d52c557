// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chart/statistics_bar.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app_model.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"

namespace pv::ui {
namespace {

struct BoxPlace {
  int x, y, w, h;
  std::string StatisticsBarTexts::* text;
};

const BoxPlace kBoxes[] = {
    {71, 26, 61, 12, &StatisticsBarTexts::startTime},  {259, 26, 34, 12, &StatisticsBarTexts::sampleCount},
    {314, 26, 39, 12, &StatisticsBarTexts::average},   {71, 38, 30, 12, &StatisticsBarTexts::maximum},
    {115, 38, 65, 12, &StatisticsBarTexts::maximumTime}, {222, 38, 37, 12, &StatisticsBarTexts::minimum},
    {273, 38, 80, 12, &StatisticsBarTexts::minimumTime}, {181, 26, 37, 12, &StatisticsBarTexts::battery},
    {181, 14, 37, 12, &StatisticsBarTexts::interval},
};

struct LabelPlace {
  const char* text;
  int x, y;
};

const LabelPlace kLabels[] = {
    {"Start Time", 24, 27}, {"DataNo.", 222, 27},      {"Avg", 295, 27},
    {"Maximum", 24, 40},    {"@", 104, 39},            {"Minimum", 181, 39},
    {"@", 263, 39},         {"voltage stage", 135, 26}, {"Sample Rate", 135, 15},
    {"Sec", 221, 15},
};

}  // namespace

StatisticsBar::StatisticsBar(const AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("StatisticsBar"));
  UseBarLook(*this);
  const QFont font = BarFont();

  auto* title = new QLabel(QStringLiteral("Real-Time Graph"), this);
  title->move(133 * kDialogUnit, 3 * kDialogUnit);
  title->adjustSize();

  for (const auto& l : kLabels) {
    auto* label = new QLabel(QString::fromLatin1(l.text), this);
    label->setFont(font);
    label->move(l.x * kDialogUnit, l.y * kDialogUnit);
    label->adjustSize();
  }
  for (const auto& b : kBoxes) {
    auto* edit = new QLineEdit(this);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setFont(font);
    edit->setGeometry(Dlu(b.x, b.y, b.w, b.h));
    edit->setTextMargins(0, -4, 0, -4);
    boxes_.push_back(edit);
  }
  open_ = new QPushButton(QStringLiteral("Open"), this);
  open_->setGeometry(Dlu(24, 12, 45, 13));
  open_->setFont(font);
  export_ = new QPushButton(QStringLiteral("Export Excel"), this);
  export_->setGeometry(Dlu(71, 12, 61, 13));
  export_->setFont(font);
  export_->setEnabled(false);
  connect(open_, &QPushButton::clicked, this, &StatisticsBar::openClicked);
  connect(export_, &QPushButton::clicked, this, &StatisticsBar::exportClicked);
  refresh();
}

void StatisticsBar::refresh() {
  shown_.resize(boxes_.size());
  std::size_t i = 0;
  for (const auto& b : kBoxes) {
    const std::string& text = model_.statsBar.*(b.text);
    QLineEdit* edit = boxes_[i];
    if (shown_[i] != text) {  // the boxes are read-only: only this sets their texts
      edit->setText(QString::fromStdString(text));
      shown_[i] = text;
    }
    ++i;
  }
  // Called for every reading: the button is touched only when its state changes.
  const bool exportable = RunOnShow(model_.run.phase, model_.store.sampleCount);
  if (exportable != exportable_) {
    export_->setEnabled(exportable);
    exportable_ = exportable;
  }
}

}  // namespace pv::ui
