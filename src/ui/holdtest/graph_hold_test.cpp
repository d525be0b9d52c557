// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/graph_hold_test.h"

#include <QWidget>

#include "app_model.h"
#include "files/sample_rows.h"
#include "holdtest/hold_marks.h"
#include "holdtest/hold_sidecar.h"
#include "logger/logger_geometry.h"
#include "ui/holdtest/hold_record_actions.h"
#include "ui/holdtest/hold_result_card.h"
#include "ui/holdtest/hold_test_panel.h"

namespace pv::ui {

GraphHoldTest::GraphHoldTest(AppModel& model, QWidget& window, std::string configPath)
    : QObject(&window), model_(model), window_(window), configPath_(std::move(configPath)) {
  panel_ = new HoldTestPanel(false, &window);
  panel_->setAutoFillBackground(true);
  panel_->hide();
  connect(panel_, &HoldTestPanel::criteriaChanged, this, [this] {
    analyse();
    emit changed();
  });
  connect(panel_, &HoldTestPanel::recordClicked, this,
          [this] { EditHoldRecord(&window_, configPath_, &record_); });
  connect(panel_, &HoldTestPanel::printClicked, this, [this] {
    const std::string& path = model_.loggerGraph.filePath;
    PrintHoldTest(&window_, test(), LoggerFileRows(model_.logger), path.substr(path.find_last_of('/') + 1));
  });
}

bool GraphHoldTest::shown() const {
  return !panel_->isHidden();
}

void GraphHoldTest::setShown(bool shown) {
  if (shown == this->shown()) return;
  panel_->setVisible(shown);
  if (shown) analyse();
  emit shownChanged(shown);
  emit changed();
}

void GraphHoldTest::fileLoaded() {
  savedWindow_.reset();
  record_ = {};
  const SidecarRead read = ReadHoldTestBeside(model_.loggerGraph.filePath, {});
  if (read.test) {
    const HoldCriteria& saved = read.test->criteria;
    savedWindow_ = {saved.firstSample, saved.lastSample};
    record_ = read.test->record;
    panel_->setCriteria(saved);
  }
  const bool show = read.test.has_value() || !read.problem.empty();
  if (show && !shown()) {
    setShown(true);
  } else {
    analyse();
    emit changed();
  }
  if (!read.problem.empty())
    panel_->card()->showStatus(QStringLiteral("The hold test beside this file was not read: %1")
                                   .arg(QString::fromStdString(read.problem)));
}

void GraphHoldTest::analyse() {
  if (!shown()) return;
  criteria_ = panel_->criteria();
  if (savedWindow_) {
    criteria_.firstSample = savedWindow_->first;
    criteria_.lastSample = savedWindow_->second;
  }
  const LoggerFileRows rows(model_.logger);
  outcome_ = AnalyseHold(rows, static_cast<int>(LoggerIntervalSeconds(model_.logger)), criteria_);
  QString window =
      savedWindow_ ? QStringLiteral("Window of the test saved with the file") : QStringLiteral("Whole file");
  if (outcome_.error == HoldError::None)
    window += QStringLiteral(": %1 - %2")
                  .arg(QString::fromStdString(outcome_.result.startTime),
                       QString::fromStdString(outcome_.result.endTime));
  panel_->showWindow(window);
  panel_->showOutcome(criteria_, outcome_);
}

void GraphHoldTest::drawMarks(DisplayList& out) const {
  if (!shown() || outcome_.error != HoldError::None) return;
  DrawHoldMarksOnLoggerGraph(model_, HoldMarksOf(criteria_, outcome_), out);
}

std::optional<HoldTestFile> GraphHoldTest::test() const {
  if (!shown() || outcome_.error != HoldError::None) return std::nullopt;
  return HoldTestFile{criteria_, record_, outcome_.result};
}

}  // namespace pv::ui
