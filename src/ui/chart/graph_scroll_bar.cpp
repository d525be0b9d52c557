#include "ui/chart/graph_scroll_bar.h"

#include <QScrollBar>

#include "ui/common/ui_constants.h"

namespace pv::ui {

CGraphScrollBar::CGraphScrollBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CGraphScrollBar"));
  bar_ = new QScrollBar(Qt::Horizontal, this);
  bar_->setProperty("controlId", 1089);
  bar_->setEnabled(false);
  // The bar paints every pixel of its own. Said so, a change of its range (one per
  // committed sample) repaints the bar alone instead of the whole chart beneath it.
  bar_->setAutoFillBackground(true);
}

void CGraphScrollBar::resizeEvent(QResizeEvent*) { bar_->setGeometry(0, 4, width(), height() - 8); }

}  // namespace pv::ui
