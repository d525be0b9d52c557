// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The statistics bar above the chart: run start, sample count, interval, battery and
// the REC statistics, with the Open and Export Excel buttons.
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace pv {
struct AppModel;
}

namespace pv::ui {

class StatisticsBar : public QWidget {
  Q_OBJECT
 public:
  StatisticsBar(const AppModel& model, QWidget* parent);


  // Copies the model's texts into the boxes and the Export Excel enabling.
  void refresh();
  QPushButton* exportButton() const { return export_; }

 signals:
  void openClicked();
  void exportClicked();

 private:
  const AppModel& model_;
  QPushButton* open_ = nullptr;
  QPushButton* export_ = nullptr;
  std::vector<QLineEdit*> boxes_;  // in the order of kBoxes
  // The texts last given to the boxes: every reading asks for a transfer, and most
  // change nothing, which is found without building a QString.
  std::vector<std::string> shown_;
  bool exportable_ = false;  // as the button was created
};

}  // namespace pv::ui
