// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chart/chart_scroll_bar.h"

#include <QScrollBar>

#include "ui/common/ui_constants.h"

namespace pv::ui {

ChartScrollBar::ChartScrollBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ChartScrollBar"));
  bar_ = new QScrollBar(Qt::Horizontal, this);
  bar_->setEnabled(false);
  // The bar paints every pixel of its own. Said so, a change of its range (one per
  // committed sample) repaints the bar alone instead of the whole chart beneath it.
  bar_->setAutoFillBackground(true);
}

void ChartScrollBar::resizeEvent(QResizeEvent*) { bar_->setGeometry(0, 4, width(), height() - 8); }

}  // namespace pv::ui
