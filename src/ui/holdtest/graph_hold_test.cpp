// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/graph_hold_test.h"

#include <QWidget>
#include <algorithm>
#include <cstring>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "files/read_file.h"
#include "files/sample_rows.h"
#include "holdtest/hold_marks.h"
#include "holdtest/hold_sidecar.h"
#include "logger/logger_geometry.h"
#include "logger/logger_hold_window.h"
#include "ui/holdtest/hold_record_actions.h"
#include "ui/holdtest/hold_result_card.h"
#include "ui/holdtest/hold_test_panel.h"

namespace pv::ui {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T>
bool SameArray(const std::vector<T>& a, const std::vector<T>& b, int count) {
  return std::memcmp(a.data(), b.data(), sizeof(T) * static_cast<std::size_t>(count)) == 0;
}

// Whether a file decoded again holds the records the graph shows.
bool SameRecords(const LoggerStore& a, const LoggerStore& b) {
  if (a.recordCount != b.recordCount || a.intervalMs != b.intervalMs || a.startHour != b.startHour ||
      a.startMinute != b.startMinute || a.startSecond != b.startSecond)
    return false;
  const int n = std::clamp(a.recordCount, 0, kStoreCapacity);
  return SameArray(a.values, b.values, n) && SameArray(a.fullScaleAt, b.fullScaleAt, n) &&
         SameArray(a.texts, b.texts, n) && SameArray(a.unitAt, b.unitAt, n);
}

}  // namespace

GraphHoldTest::GraphHoldTest(AppModel& model, QWidget& window, std::string configPath)
    : QObject(&window), model_(model), window_(window), configPath_(std::move(configPath)) {
  panel_ = new HoldTestPanel(false, &window);
  panel_->setAutoFillBackground(true);
  panel_->hide();
  connect(panel_, &HoldTestPanel::criteriaChanged, this, [this] {
    analyse();
    emit changed();
  });
  connect(panel_, &HoldTestPanel::recordClicked, this, [this] {
    HoldRecord record = record_;
    if (EditHoldRecord(&window_, configPath_, &record)) recordEdited(record);
  });
  connect(panel_, &HoldTestPanel::printClicked, this, [this] { printRecord(ShowPrintDialog); });
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
  record_ = {};
  notice_.clear();
  readBeside();
  panel_->offerSavedWindow(saved_.has_value());
  if (saved_) {
    record_ = saved_->record;
    panel_->setCriteria(saved_->criteria);
  }
  const bool show = saved_.has_value() || !notice_.isEmpty() || !check_.isEmpty();
  if (show && !shown()) {
    setShown(true);
  } else {
    analyse();
    emit changed();
  }
}

void GraphHoldTest::readBeside() {
  saved_.reset();
  sidecarProblem_.clear();
  check_.clear();
  dataBytes_.clear();
  bytesProblem_.clear();
  const std::string& path = model_.loggerGraph.filePath;
  if (path.empty()) return;
  // The graph's records came from the file a moment ago; its bytes are read once more
  // for the record's binding, and taken only when they decode to the same records.
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    bytesProblem_ = bytes.error().message;
  } else if (auto decoded = DecodeDataLoggerFile(bytes.value());
             !decoded || !SameRecords(decoded.value().store, model_.logger)) {
    bytesProblem_ = "the data file changed after it was opened";
  } else {
    dataBytes_ = std::move(bytes).value();
  }
  if (!bytesProblem_.empty()) {
    sidecarProblem_ = bytesProblem_;
    notice_ = QStringLiteral("A hold test record beside this file was not checked: %1")
                  .arg(FromUtf8(bytesProblem_));
    return;
  }
  const SidecarRead read = ReadHoldTestBeside(path, dataBytes_);
  sidecarProblem_ = read.problem;
  if (read.otherRun) {
    check_ << FromUtf8(read.problem);
  } else if (!read.problem.empty()) {
    notice_ = QStringLiteral("The hold test beside this file was not read: %1").arg(FromUtf8(read.problem));
  }
  if (!read.test) return;
  saved_ = read.test;
  // What the record says is never shown as it stands: its verdict is recomputed below,
  // and this says where the record and the file part ways.
  const RecordCheck check = CheckHoldTest(*saved_, dataBytes_, LoggerFileRows(model_.logger, startUtc()),
                                          static_cast<int>(LoggerIntervalSeconds(model_.logger)));
  for (const std::string& difference : check.differences) check_ << FromUtf8(difference);
}

std::optional<std::int64_t> GraphHoldTest::startUtc() const {
  // A data file keeps only its start's time of day; the record bound to it knows the date.
  if (!saved_ || !saved_->run) return std::nullopt;
  return ParseIsoDateTime(saved_->run->startDateTime);
}

bool GraphHoldTest::chooseWindow(HoldCriteria& criteria, QString& text, std::string& problem) const {
  std::optional<RecordSpan> span;
  switch (panel_->fileWindow()) {
    case FileWindow::SavedTest:
      if (!saved_) break;
      text = QStringLiteral("Window of the test saved with the file");
      criteria.firstSample = saved_->criteria.firstSample;
      criteria.lastSample = saved_->criteria.lastSample;
      // A timed test that was cut short stays ended early, however it read.
      criteria.holdSeconds = saved_->criteria.holdSeconds;
      return true;
    case FileWindow::WholeFile:
      break;
    case FileWindow::ZoomedSpan:
      text = QStringLiteral("Zoomed span");
      span = LoggerZoomedSpan(model_);
      if (!span) problem = "Zoom into the graph: the test then judges the span it shows.";
      break;
    case FileWindow::TypedTimes:
      text = QStringLiteral("Times typed");
      span = LoggerSpanOfTimes(model_.logger, panel_->typedFrom().toStdString(),
                               panel_->typedTo().toStdString(), &problem);
      if (!span) problem = "No window to judge: " + problem + ".";
      break;
  }
  if (!problem.empty()) return false;
  if (span) {
    criteria.firstSample = span->first;
    criteria.lastSample = span->last;
  } else {
    text = QStringLiteral("Whole file");
  }
  return true;
}

void GraphHoldTest::analyse() {
  if (!shown()) return;
  criteria_ = panel_->criteria();
  QString window;
  std::string problem;
  if (chooseWindow(criteria_, window, problem)) {
    outcome_ = AnalyseHold(LoggerFileRows(model_.logger, startUtc()),
                           static_cast<int>(LoggerIntervalSeconds(model_.logger)), criteria_);
  } else {
    outcome_ = HoldOutcome{HoldError::WindowOutsideRun, problem, {}};
  }
  if (outcome_.error == HoldError::None)
    window += QStringLiteral(": %1 - %2")
                  .arg(QString::fromStdString(outcome_.result.startTime),
                       QString::fromStdString(outcome_.result.endTime));
  panel_->showWindow(window);
  panel_->showOutcome(criteria_, outcome_);
  panel_->card()->showStatus(notice_);
  panel_->card()->showCheck(check_);
}

void GraphHoldTest::viewLaidOut() {
  if (shown() && panel_->fileWindow() == FileWindow::ZoomedSpan) analyse();
}

void GraphHoldTest::drawMarks(DisplayList& out) const {
  if (!shown() || outcome_.error != HoldError::None) return;
  DrawHoldMarksOnLoggerGraph(model_, HoldMarksOf(criteria_, outcome_), out);
}

std::optional<HoldTestFile> GraphHoldTest::test() const {
  if (!shown() || outcome_.error != HoldError::None) return std::nullopt;
  HoldTestFile test = HoldTestOf(criteria_, record_, outcome_.result);
  if (saved_) test.run = saved_->run;
  return test;
}

void GraphHoldTest::recordEdited(const HoldRecord& record) {
  record_ = record;
  const std::string path = model_.loggerGraph.filePath;
  const std::optional<HoldTestFile> shownTest = test();
  const QString notWritten = QStringLiteral("The record was not written beside the file: %1");
  if (path.empty()) {
    notice_.clear();
  } else if (!shownTest) {
    notice_ = notWritten.arg(QStringLiteral("there is no result to keep it with."));
  } else if (!sidecarProblem_.empty()) {
    // A record there that is unreadable or another run's is not replaced unasked.
    notice_ = notWritten.arg(FromUtf8(sidecarProblem_));
  } else if (const FileStatus status = WriteHoldTestRevision(path, dataBytes_, *shownTest); !status) {
    notice_ = notWritten.arg(FromUtf8(status.error().message));
  } else {
    readBeside();
    // The test just written is the file's test now, window and all.
    panel_->offerSavedWindow(saved_.has_value());
    notice_ =
        saved_
            ? QStringLiteral("The record was written beside the file as revision %1.").arg(saved_->revision)
            : QStringLiteral("The record was written beside the file, but it could not be read back.");
  }
  analyse();
  emit changed();
}

void GraphHoldTest::printRecord(const AskWhereToPrint& ask) {
  PrintHoldTest(&window_, test(), LoggerFileRows(model_.logger, startUtc()), model_.loggerGraph.filePath,
                ask);
}

}  // namespace pv::ui
