#include "ui/chart/dt_view.h"

#include <QPainter>

#include "app_model.h"
#include "chart/acquisition.h"
#include "link/watchdog.h"
#include "ui/chart/cursor_bar.h"
#include "ui/chart/graph_scroll_bar.h"
#include "ui/files/real_time_bar.h"
#include "ui/frame/main_frame.h"
#include "ui/panel/meter_panel.h"
#include "panel/keys.h"

namespace pv::ui {

CDTView::CDTView(AppModel& model, SerialPort& port, ModelObserver& observer, QWidget* mainWindow)
    : QWidget(mainWindow), model_(model), port_(port), observer_(observer), mainWindow_(mainWindow) {
  setObjectName(QStringLiteral("CDTView"));
  // Every paint covers every pixel: no background erase, no flicker.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);

  // The five bars are children of the main window, created in this order.
  realTimeBar_ = new CRealTimeBar(model_, mainWindow);
  cursorBar_ = new CCursorBar(mainWindow);
  panel_ = new CMeterPanel(model_, mainWindow);
  spacer_ = new QWidget(mainWindow);  // never placed
  spacer_->hide();
  scrollStrip_ = new CGraphScrollBar(mainWindow);
  panel_->onKey = [this](Key key) {
    std::string error;
    PressKey(model_, port_, key, observer_, &error);
    panel_->syncKeys();
  };

  sampleTimer_.setTimerType(Qt::PreciseTimer);
  connect(&sampleTimer_, &QTimer::timeout, this, &CDTView::sampleTick);
  watchdogTimer_.setSingleShot(true);
  connect(&watchdogTimer_, &QTimer::timeout, this, &CDTView::watchdogTick);
}

void CDTView::initialUpdate() {
  update();
  placeBars();
  armSampleTimer(model_.view.m_nSampleIntervalMs);
  watchdogTimer_.start(kWatchdogFirstMs);
}

void CDTView::armSampleTimer(int periodMs) {
  // With no interval chosen yet the timer would only spin: its ticks do nothing
  // before the first run, so it waits for Run.
  if (periodMs <= 0) {
    sampleTimer_.stop();
    return;
  }
  sampleTimer_.start(periodMs);
}

void CDTView::sampleTick() {
  CommitTick(model_, rubberBandActive && rubberBandActive(), observer_);
}

void CDTView::watchdogTick() {
  std::string error;
  WatchdogTick(model_, port_, observer_, &error);
  panel_->syncKeys();
  if (auto* frame = qobject_cast<CMainFrame*>(mainWindow_)) frame->updateCommandStates();
  watchdogTimer_.start(kWatchdogPeriodMs);
}

void CDTView::placeBars() {
  auto* frame = qobject_cast<CMainFrame*>(mainWindow_);
  const QPoint o = frame ? frame->clientOrigin() : QPoint();
  const QRect c = frame ? frame->clientRect() : mainWindow_->rect();
  const int L = c.left(), T = c.top(), R = c.left() + c.width(), B = c.top() + c.height();
  auto place = [&](QWidget* w, int x, int y, int width, int height) {
    w->setGeometry(o.x() + x, o.y() + y, std::max(0, width), std::max(0, height));
    w->show();
    w->raise();
  };
  place(realTimeBar_, L + 228, T + 30, R - L - 238, 112);
  if (T + 142 < B - 120) place(cursorBar_, L + 228, B - 120, R - L - 238, 100);
  place(panel_, 0, 31, 228, B - 50);
  if (T + 142 < B - 142) place(scrollStrip_, L + 228, B - 142, R - L - 238, 25);
}

void CDTView::resizeEvent(QResizeEvent*) { placeBars(); }

void CDTView::paintEvent(QPaintEvent*) {
  if (paintChart) {
    paintChart(*this);
  } else {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
  }
  // The first paint after Run arms the sample timer with the run's interval.
  if (model_.view.m_bStartTimerPending) {
    armSampleTimer(model_.view.m_nSampleIntervalMs);
    model_.view.m_bStartTimerPending = false;
  }
}

}  // namespace pv::ui
