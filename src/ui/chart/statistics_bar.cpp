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
  int id;
  int x, y, w, h;
  std::string StatisticsBarTexts::* text;
};

const BoxPlace kBoxes[] = {
    {1014, 71, 26, 61, 12, &StatisticsBarTexts::startTime},  {1015, 259, 26, 34, 12, &StatisticsBarTexts::sampleCount},
    {1017, 314, 26, 39, 12, &StatisticsBarTexts::average},   {1020, 71, 38, 30, 12, &StatisticsBarTexts::maximum},
    {1021, 115, 38, 65, 12, &StatisticsBarTexts::maximumTime}, {1022, 222, 38, 37, 12, &StatisticsBarTexts::minimum},
    {1023, 273, 38, 80, 12, &StatisticsBarTexts::minimumTime}, {1026, 181, 26, 37, 12, &StatisticsBarTexts::battery},
    {1078, 181, 14, 37, 12, &StatisticsBarTexts::interval},
};

struct LabelPlace {
  int id;
  const char* text;
  int x, y;
};

const LabelPlace kLabels[] = {
    {1035, "Start Time", 24, 27}, {1037, "DataNo.", 222, 27},      {1038, "Avg", 295, 27},
    {1039, "Maximum", 24, 40},    {1040, "@", 104, 39},            {1041, "Minimum", 181, 39},
    {1042, "@", 263, 39},         {1032, "voltage stage", 135, 26}, {1077, "Sample Rate", 135, 15},
    {1079, "Sec", 221, 15},
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
    label->setProperty("controlId", l.id);
    label->move(l.x * kDialogUnit, l.y * kDialogUnit);
    label->adjustSize();
  }
  for (const auto& b : kBoxes) {
    auto* edit = new QLineEdit(this);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setFont(font);
    edit->setGeometry(Dlu(b.x, b.y, b.w, b.h));
    edit->setProperty("controlId", b.id);
    edit->setTextMargins(0, -4, 0, -4);
    boxes_.emplace_back(b.id, edit);
  }
  open_ = new QPushButton(QStringLiteral("Open"), this);
  open_->setGeometry(Dlu(24, 12, 45, 13));
  open_->setFont(font);
  open_->setProperty("controlId", ID_BAR_OPEN);
  export_ = new QPushButton(QStringLiteral("Export Excel"), this);
  export_->setGeometry(Dlu(71, 12, 61, 13));
  export_->setFont(font);
  export_->setProperty("controlId", ID_BAR_EXPORT);
  export_->setEnabled(false);
  connect(open_, &QPushButton::clicked, this, [this] {
    if (onOpen) onOpen();
  });
  connect(export_, &QPushButton::clicked, this, [this] {
    if (onExport) onExport();
  });
  transferToControls();
}

QLineEdit* StatisticsBar::box(int id) const {
  for (const auto& [boxId, edit] : boxes_)
    if (boxId == id) return edit;
  return nullptr;
}

void StatisticsBar::transferToControls() {
  std::size_t i = 0;
  for (const auto& b : kBoxes) {
    const QString text = QString::fromStdString(model_.statsBar.*(b.text));
    QLineEdit* edit = boxes_[i++].second;
    if (edit->text() != text) edit->setText(text);
  }
  export_->setEnabled(model_.statsBar.exportEnabled);
}

}  // namespace pv::ui
