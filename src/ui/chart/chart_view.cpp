// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chart/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>

#include "app_model.h"
#include "chart/bar_layout.h"
#include "chart/chart_layout.h"
#include "chart/cursors.h"
#include "chart/zoom.h"
#include "panel/keys.h"
#include "ui/chart/chart_scroll_bar.h"
#include "ui/chart/cursor_bar.h"
#include "ui/chart/statistics_bar.h"
#include "ui/common/client_edge.h"
#include "ui/common/display_list_painter.h"
#include "ui/common/ui_constants.h"
#include "ui/panel/front_panel.h"

namespace pv::ui {

ChartView::ChartView(AppModel& model, SerialPort& port, ModelObserver& observer, QWidget* client)
    : QWidget(client), model_(model), port_(port), observer_(observer), client_(client) {
  setObjectName(QStringLiteral("ChartView"));
  // Every paint covers every pixel: no background erase, no flicker.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);

  // The five bars lie over the view in the client area, created in this order. The
  // statistics bar and the panel sit in a sunken client edge.
  statisticsEdge_ = new ClientEdge(client);
  statisticsBar_ = new StatisticsBar(model_, statisticsEdge_);
  statisticsEdge_->setBar(statisticsBar_);
  cursorBar_ = new CursorBar(client);
  panelEdge_ = new ClientEdge(client);
  panel_ = new FrontPanel(model_, panelEdge_);
  panelEdge_->setBar(panel_);
  scrollStrip_ = new ChartScrollBar(client);
  // The client area's resizes reach the main window, which places the bars again.
  client_->installEventFilter(this);
  connect(panel_, &FrontPanel::keyPressed, this, [this](Key key) {
    std::string error;
    const bool accepted = PressKey(model_, port_, key, observer_, &error);
    panel_->syncKeys();
    // A key that went out reports like a menu command; a refused one sent nothing.
    if (accepted) emit portReported(error);
  });
  connect(cursorBar_, &CursorBar::clearClicked, this, [this] {
    ClearCursors(model_, observer_);
    refreshCursorBar();
  });
  // Every way of moving the thumb (dragging it, an arrow, a page click, the wheel, the
  // keys) reports its new position here before the bar takes it as its value.
  QScrollBar* bar = scrollStrip_->scrollBar();
  connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int) {
    ScrollTo(model_, bar->sliderPosition(), observer_);
    update();
  });
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, this);
  setMouseTracking(false);

  dragWatch_.setInterval(kDragWatchPeriodMs);
  connect(&dragWatch_, &QTimer::timeout, this, &ChartView::dragWatchTick);
}

void ChartView::placeBars(QPoint clientOrigin, QRect clientRect) {
  // The client area begins at the toolbar strip above the scrolled area and ends under
  // the status bar below it: the frame is what it holds besides the scrolled area.
  const int frame = clientRect.height() - client_->height();
  const BarLayout bars = LayoutBars(clientRect.width(), clientRect.height());
  // Smaller than that, the area keeps its size and scrolls.
  client_->setMinimumSize(kMinClientWidth, kMinClientHeight - frame);
  setGeometry(0, 0, bars.width, bars.height - frame);
  offsetInFrame_ = mapTo(window(), QPoint(0, 0)) - clientOrigin;
  auto place = [&](QWidget* w, const BarPlace& at) {
    if (!at.shown) return;
    w->setGeometry(at.x, at.y - kToolBarThickness, std::max(0, at.width), std::max(0, at.height));
    w->show();
    w->raise();
  };
  place(statisticsEdge_, bars.statistics);
  place(cursorBar_, bars.cursorBar);
  panel_->setCompact(bars.compactPanel);
  place(panelEdge_, bars.panel);
  place(scrollStrip_, bars.scrollStrip);
}

bool ChartView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) emit geometryChanged();
  return QWidget::eventFilter(watched, event);
}

void ChartView::paintEvent(QPaintEvent*) {
  const ChartLayoutResult layout = LayoutChart(model_, width(), height());
  if (devicePixelRatioF() == 1.0) {
    // The widget's backing store is the off-screen surface: the chart is composed
    // there and shown whole, without erase or flicker.
    QPainter p(this);
    paintChart(p);
  } else {
    // Scaled, the chart keeps its look: drawn in the view's own pixels and shown
    // enlarged, its dotted grid and one-pixel trace as wide as at scale 1.
    QPainter(this).drawImage(0, 0, lastFrame());
  }
  if (layout.cursorBarChanged) {
    refreshCursorBar();
    emit cursorsChanged();
  }
  syncScrollBar();
  statisticsBar_->refresh();
  if (layout.repaintWithErase) update();
}

void ChartView::paintChart(QPainter& p) const {
  ChartFrame chart = DrawChart(model_, width(), height());
  if (holdMarks_ && chart.plotDrawn)
    DrawHoldMarksOnChart(model_, ChartPlotRect(width(), height()), *holdMarks_, chart.plot.list);
  // Time labels are laid out in the main window's coordinates; the view shows them
  // where they fall on it, higher than the plot by the view's offset.
  PaintChartFrame(p, rect(), chart, palette(), offsetInFrame_);
}

QImage ChartView::lastFrame() const {
  QImage frame(size(), QImage::Format_RGB32);
  QPainter p(&frame);
  paintChart(p);
  return frame;
}

void ChartView::refreshCursorBar() {
  cursorBar_->setTexts(model_.cursorBar.boxes(), model_.cursorBar.clearEnabled);
}

void ChartView::syncScrollBar() {
  const ScrollBarState s = ChartScrollBarState(model_);
  QScrollBar* bar = scrollStrip_->scrollBar();
  bar->setEnabled(s.enabled);
  bar->setRange(s.minimum, s.maximum);
  // A bar with nothing to pan draws its thumb over the whole groove, whatever its page:
  // a page that grows with every sample would only repaint it once a second.
  if (s.enabled) bar->setPageStep(ChartScrollPage(model_, ChartPlotRect(width(), height()).width()));
  if (!bar->isSliderDown()) bar->setValue(s.position);
}

void ChartView::setHoldMarks(std::optional<HoldMarks> marks) {
  holdMarks_ = std::move(marks);
  update();
}

bool ChartView::zoomed() const { return model_.chart.live == 0; }

void ChartView::undoZoom() {
  UndoZoom(model_, observer_);
  repaint();
}

void ChartView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (LeftPress(model_, {e->position().toPoint().x(), e->position().toPoint().y()}, width(), height()))
    dragWatch_.start();
}

void ChartView::mouseMoveEvent(QMouseEvent* e) {
  const RubberBand band = MouseMove(model_, {e->position().toPoint().x(), e->position().toPoint().y()}, width(), height());
  if (band.visible) {
    rubberBand_->setGeometry(QRect(QPoint(band.left, band.top), QPoint(band.right, band.bottom)));
    rubberBand_->show();
  } else {
    rubberBand_->hide();
  }
}

void ChartView::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    rubberBand_->hide();
    LeftRelease(model_, {p.x(), p.y()}, width(), height(), observer_);
    repaint();
  } else if (e->button() == Qt::RightButton) {
    if (RightRelease(model_, p.x(), width(), height(), observer_)) repaint();
  }
  observer_.commandsChanged();
}

void ChartView::dragWatchTick() {
  const QPoint p = mapFromGlobal(QCursor::pos());
  if (DragWatchTick(model_, {p.x(), p.y()}, width(), height(), observer_)) {
    rubberBand_->hide();
    dragWatch_.stop();
    repaint();
  }
}

}  // namespace pv::ui
