// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The strip under the chart holding the horizontal scroll bar that
// pans a zoomed chart.
#include <QWidget>

class QScrollBar;

namespace pv::ui {

class ChartScrollBar : public QWidget {
  Q_OBJECT
 public:
  explicit ChartScrollBar(QWidget* parent);
  QScrollBar* scrollBar() const { return bar_; }

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  QScrollBar* bar_ = nullptr;
};

}  // namespace pv::ui
