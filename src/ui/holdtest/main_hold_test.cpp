// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/main_hold_test.h"

#include <QDockWidget>
#include <QMainWindow>
#include <algorithm>

#include "app_model.h"
#include "files/sample_rows.h"
#include "holdtest/hold_marks.h"
#include "session/meter_session.h"
#include "ui/chart/chart_view.h"
#include "ui/holdtest/hold_record_actions.h"
#include "ui/holdtest/hold_test_panel.h"

namespace pv::ui {
namespace {

bool BothCursorsShown(const ChartState& c) {
  return !c.cursorsHidden && c.cursorStage == CursorStage::kBothPlaced && c.cursorA >= 0 && c.cursorB >= 0;
}

}  // namespace

MainHoldTest::MainHoldTest(AppModel& model, MeterSession& session, ChartView& view, QMainWindow& window,
                           std::string configPath, std::function<std::string()> runFile)
    : QObject(&window),
      model_(model),
      session_(session),
      view_(view),
      window_(window),
      configPath_(std::move(configPath)),
      runFile_(std::move(runFile)) {
  dock_ = new QDockWidget(QStringLiteral("Hold Test"), &window);
  dock_->setObjectName(QStringLiteral("HoldTestDock"));
  dock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  panel_ = new HoldTestPanel(true, dock_);
  dock_->setWidget(panel_);
  window.addDockWidget(Qt::RightDockWidgetArea, dock_);
  dock_->hide();
  connect(dock_, &QDockWidget::visibilityChanged, this, [this] { runChanged(); });
  connect(panel_, &HoldTestPanel::criteriaChanged, this, &MainHoldTest::runChanged);
  connect(panel_, &HoldTestPanel::startLiveClicked, this, [this] {
    HoldCriteria criteria = panel_->criteria();
    // The period goes with the criteria wherever they are kept, so that every later
    // reading judges a test cut short as ended early.
    criteria.holdSeconds = panel_->holdSeconds();
    session_.armHoldTest(criteria, criteria.holdSeconds);
  });
  connect(panel_, &HoldTestPanel::cancelLiveClicked, this, [this] { session_.cancelHoldTest(); });
  connect(panel_, &HoldTestPanel::recordClicked, this,
          [this] { EditHoldRecord(&window_, configPath_, &record_); });
  connect(panel_, &HoldTestPanel::printClicked, this, [this] { printRecord(ShowPrintDialog); });
  connect(&view_, &ChartView::cursorsChanged, this, &MainHoldTest::cursorsChanged);
}

void MainHoldTest::printRecord(const AskWhereToPrint& ask) {
  PrintHoldTest(&window_, testOfRun(), LiveRunRows(model_), runFile_ ? runFile_() : std::string(), ask);
}

void MainHoldTest::cursorsChanged() {
  if (BothCursorsShown(model_.chart) && !session_.holdTest().going()) panel_->chooseWindowOfRun();
  runChanged();
}

bool MainHoldTest::shown() const {
  return !dock_->isHidden();
}

void MainHoldTest::toggle() {
  dock_->setVisible(!shown());
  if (shown()) dock_->raise();
}

HoldCriteria MainHoldTest::windowCriteria() const {
  HoldCriteria criteria = panel_->criteria();
  const ChartState& c = model_.chart;
  if (BothCursorsShown(c)) {
    criteria.firstSample = std::min(c.cursorA, c.cursorB);
    criteria.lastSample = std::max(c.cursorA, c.cursorB);
  }
  return criteria;
}

void MainHoldTest::runChanged() {
  panel_->setRunGoing(RunGoing(session_.phase()));
  if (!shown()) {
    view_.setHoldMarks(std::nullopt);
    return;
  }
  analyse();
}

void MainHoldTest::analyse() {
  const LiveHoldTest& live = session_.holdTest();
  if (panel_->liveChosen()) {
    panel_->showWindow(QString());
    panel_->showLive(live);
    shownCriteria_ = live.criteria();
    shownOutcome_ = live.outcome();
    view_.setHoldMarks(live.hasOutcome() ? std::optional(HoldMarksOf(live.criteria(), live.outcome()))
                                         : std::nullopt);
    return;
  }
  shownCriteria_ = windowCriteria();
  const bool cursors = BothCursorsShown(model_.chart);
  shownOutcome_ = AnalyseHold(LiveRunRows(model_), model_.run.intervalSeconds(), shownCriteria_);
  QString window = cursors ? QStringLiteral("Cursors A-B") : QStringLiteral("Whole run (no cursors placed)");
  if (shownOutcome_.error == HoldError::None)
    window += QStringLiteral(": %1 - %2")
                  .arg(QString::fromStdString(shownOutcome_.result.startTime),
                       QString::fromStdString(shownOutcome_.result.endTime));
  panel_->showWindow(window);
  panel_->showOutcome(shownCriteria_, shownOutcome_);
  view_.setHoldMarks(shownOutcome_.error == HoldError::None
                         ? std::optional(HoldMarksOf(shownCriteria_, shownOutcome_))
                         : std::nullopt);
}

void MainHoldTest::liveChanged(bool ended) {
  if (shown()) analyse();
  panel_->setRunGoing(RunGoing(session_.phase()));
  if (ended) emit liveTestEnded(HoldTestEndedText(session_.holdTest()));
}

std::optional<HoldTestFile> MainHoldTest::testOfRun() const {
  if (panel_->liveChosen()) {
    const LiveHoldTest& live = session_.holdTest();
    // A run saved while its test goes (a close's save) keeps the test as not complete.
    const HoldOutcome outcome = live.outcomeSoFar();
    if (!live.hasOutcome() || outcome.error != HoldError::None) return std::nullopt;
    return HoldTestOf(live.criteria(), record_, outcome.result);
  }
  if (shown() && shownOutcome_.error == HoldError::None)
    return HoldTestOf(shownCriteria_, record_, shownOutcome_.result);
  return std::nullopt;
}

}  // namespace pv::ui
