// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/logger/graph_window.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimerEvent>
#include <QToolBar>

#include "app_model.h"
#include "logger/logger_graph.h"
#include "ui/common/display_list_painter.h"
#include "ui/common/look.h"
#include "ui/common/ui_constants.h"
#include "ui/files/file_dialog.h"
#include "ui/holdtest/graph_hold_test.h"
#include "ui/holdtest/hold_test_panel.h"

namespace pv::ui {
namespace {

// The dialog template: 473 x 299 dialog units; the scroll bar at (21, 284), 430 x 8.
constexpr int kWidthDlu = 473;
constexpr int kHeightDlu = 299;
constexpr QSize kButtonSize(35, 22);
constexpr int kHoldPanelWidth = 330;
const QSize kGraphSize(kWidthDlu * kDialogUnit, kHeightDlu * kDialogUnit);

}  // namespace

GraphWindow::GraphWindow(AppModel& model, QWidget* parent, const std::string& configPath)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      model_(model) {
  setWindowTitle(QStringLiteral("Graph"));
  setModal(true);
  setFixedSize(kGraphSize);
  // Every pixel comes from the off-screen picture; the cursor follows the mouse
  // without a button held.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);

  createToolBar();
  scrollBar_ = new QScrollBar(Qt::Horizontal, this);
  scrollBar_->setGeometry(Dlu(21, 284, 430, 8));
  scrollBar_->setRange(0, 0);
  scrollBar_->setEnabled(false);
  // Any move of the thumb pans the zoomed trace, not only dragging it.
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (syncing_) return;
    if (LoggerScrollTo(model_, value)) repaintNow();
  });

  chooseFile = [this] {
    return ChooseFile(
        this,
        {QStringLiteral("Open"), QString(), QStringLiteral("DataLogger Files (*.KvtDat)"), QString(), false},
        model_.folders.dataFiles);
  };
  reportFailure = [this](const QString& message) {
    QMessageBox::warning(this, QStringLiteral("Graph"), message);
  };

  holdTest_ = new GraphHoldTest(model_, *this, configPath);
  connect(holdTest_, &GraphHoldTest::changed, this, &GraphWindow::repaintNow);
  connect(holdTest_, &GraphHoldTest::shownChanged, this, &GraphWindow::fitToPanel);
  connect(holdTestAction_, &QAction::triggered, this, [this] { holdTest_->setShown(!holdTest_->shown()); });
  // A file opened before the window shows its saved test at once.
  if (!model_.loggerGraph.filePath.empty()) holdTest_->fileLoaded();
}

void GraphWindow::fitToPanel(bool panelShown) {
  setFixedSize(kGraphSize.width() + (panelShown ? kHoldPanelWidth : 0), kGraphSize.height());
  holdTest_->panel()->setGeometry(kGraphSize.width(), 0, kHoldPanelWidth, kGraphSize.height());
  holdTestAction_->setChecked(panelShown);
}

void GraphWindow::createToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(16, 15));
  toolBar_->setGeometry(0, 0, kGraphSize.width(), kLoggerToolBarHeight);
  const QStyle* s = style();
  print_ = toolBar_->addAction(ThemeIcon("document-print", QStyle::SP_FileDialogDetailedView, s),
                               QStringLiteral("Print"));
  connect(print_, &QAction::triggered, this, [this] {
    if (onPrint) onPrint();
  });
  toolBar_->addSeparator();
  download_ = toolBar_->addAction(ThemeIcon("document-open", QStyle::SP_DialogOpenButton, s),
                                  QStringLiteral("Download"));
  connect(download_, &QAction::triggered, this, &GraphWindow::download);
  toolBar_->addSeparator();
  zoomOut_ = toolBar_->addAction(ThemeIcon("zoom-out", QStyle::SP_ArrowBack, s), QStringLiteral("ZoomOut"));
  connect(zoomOut_, &QAction::triggered, this, &GraphWindow::zoomOut);
  toolBar_->addSeparator();
  holdTestAction_ = toolBar_->addAction(ThemeIcon("task-complete", QStyle::SP_DialogApplyButton, s),
                                        QStringLiteral("Hold Test"));
  holdTestAction_->setCheckable(true);
  for (QAction* a : {print_, download_, zoomOut_, holdTestAction_}) {
    a->setToolTip(a->text());
    if (QWidget* button = toolBar_->widgetForAction(a)) button->setFixedSize(kButtonSize);
  }
}

QAction* GraphWindow::action(WindowCommand command) const {
  switch (command) {
    case WindowCommand::Print:
      return print_;
    case WindowCommand::LoggerDownload:
      return download_;
    case WindowCommand::LoggerZoomOut:
      return zoomOut_;
    case WindowCommand::HoldTest:
      return holdTestAction_;
    default:
      return nullptr;
  }
}

void GraphWindow::download() {
  LoggerResetView(model_);
  stopDragWatch();
  repaintNow();
  const QString path = chooseFile ? chooseFile() : QString();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const LoggerDownloadResult result = LoggerDownload(model_, path.toStdString());
  QApplication::restoreOverrideCursor();
  if (result.loaded) holdTest_->fileLoaded();
  repaintNow();
  if (!result.error.empty() && reportFailure) reportFailure(QString::fromStdString(result.error));
}

void GraphWindow::zoomOut() {
  LoggerZoomOut(model_);
  repaintNow();
}

void GraphWindow::repaintNow() {
  stale_ = true;
  rebuild();
  repaint();
}

void GraphWindow::rebuild() {
  LayoutLoggerGraph(model_, kGraphSize.width(), kGraphSize.height());
  holdTest_->viewLaidOut();
  LoggerGraphFrame frame = DrawLoggerGraph(model_, kGraphSize.width(), kGraphSize.height());
  holdTest_->drawMarks(frame.surface.list);
  if (picture_.size() != kGraphSize) picture_ = QImage(kGraphSize, QImage::Format_RGB32);
  QPainter painter(&picture_);
  PaintSurface(painter, frame.surface);
  painter.end();
  syncScrollBar(frame.scrollBar);
  stale_ = false;
}

void GraphWindow::syncScrollBar(const LoggerScrollBar& state) {
  syncing_ = true;
  scrollBar_->setRange(state.minimum, state.maximum);
  scrollBar_->setValue(state.position);
  scrollBar_->setEnabled(state.enabled);
  syncing_ = false;
}

QImage GraphWindow::composedImage() {
  if (stale_) rebuild();
  QImage shown = picture_.copy();
  QPainter painter(&shown);
  // The cursor line inverts what it crosses (not-XOR), as the dotted line always did.
  if (const auto line = LoggerCursor(model_)) {
    QPen pen(ToQColor(line->pen.colour));
    pen.setStyle(Qt::DotLine);
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setPen(pen);
    painter.drawLine(line->x, line->top, line->x, line->bottom);
  }
  if (band_.visible) {
    QPen pen(Qt::white);
    pen.setStyle(Qt::DotLine);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band_.left, band_.top, band_.right - band_.left, band_.bottom - band_.top);
  }
  return shown;
}

void GraphWindow::paintEvent(QPaintEvent*) {
  const QImage shown = composedImage();
  QPainter painter(this);
  painter.drawImage(0, 0, shown);
}

void GraphWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  const QPoint p = event->position().toPoint();
  LoggerLeftPress(model_, {p.x(), p.y()});
  if (dragWatch_ == 0) dragWatch_ = startTimer(kDragWatchPeriodMs);
}

void GraphWindow::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const LoggerMove move = LoggerMouseMove(model_, {p.x(), p.y()});
  // The readout is written straight onto the picture, as it was onto the window.
  if (!move.header.empty()) {
    if (stale_) rebuild();
    QPainter painter(&picture_);
    PaintDisplayList(painter, move.header);
  }
  band_ = move.band;
  update();
}

void GraphWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QDialog::mouseReleaseEvent(event);
  const QPoint p = event->position().toPoint();
  const ZoomOutcome outcome = LoggerLeftRelease(model_, {p.x(), p.y()});
  band_ = {};
  stopDragWatch();
  if (outcome == ZoomOutcome::kNone) {
    update();
  } else {
    repaintNow();
  }
}

void GraphWindow::timerEvent(QTimerEvent* event) {
  if (event->timerId() != dragWatch_) return QDialog::timerEvent(event);
  const QPoint p = pointerPosition ? pointerPosition() : mapFromGlobal(QCursor::pos());
  if (LoggerDragWatchTick(model_, {p.x(), p.y()})) {
    band_ = {};
    stopDragWatch();
    repaintNow();
  }
}

void GraphWindow::stopDragWatch() {
  if (dragWatch_ != 0) killTimer(dragWatch_);
  dragWatch_ = 0;
}

void RunLoggerGraph(AppModel& model, QWidget* parent, std::function<void()> onPrint,
                    const std::string& configPath) {
  GraphWindow window(model, parent, configPath);
  window.onPrint = std::move(onPrint);
  model.loggerView.graphClosed = false;
  window.exec();
  model.loggerView.graphClosed = true;
  LoggerResetView(model);
}

}  // namespace pv::ui
