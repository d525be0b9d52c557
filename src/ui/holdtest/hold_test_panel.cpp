// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/hold_test_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/holdtest/hold_result_card.h"

namespace pv::ui {
namespace {

constexpr int kDefaultHoldMinutes = 10;
constexpr int kMaxHoldMinutes = 24 * 60;
constexpr double kDefaultAllowedPercent = 0.5;
constexpr int kPanelWidth = 300;

}  // namespace

HoldTestPanel::HoldTestPanel(bool offersLive, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("HoldTestPanel"));
  setMinimumWidth(kPanelWidth);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(createInputs(offersLive));
  card_ = new HoldResultCard(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(card_);
  layout->addWidget(scroll, 1);
  auto* buttons = new QHBoxLayout;
  record_ = new QPushButton(QStringLiteral("Record\u2026"), this);
  print_ = new QPushButton(QStringLiteral("Print record\u2026"), this);
  buttons->addWidget(record_);
  buttons->addWidget(print_);
  layout->addLayout(buttons);
  connect(record_, &QPushButton::clicked, this, &HoldTestPanel::recordClicked);
  connect(print_, &QPushButton::clicked, this, &HoldTestPanel::printClicked);
  syncEnabling();
}

QWidget* HoldTestPanel::createInputs(bool offersLive) {
  auto* inputs = new QWidget(this);
  auto* form = new QFormLayout(inputs);
  form->setContentsMargins(0, 0, 0, 0);
  windowChoice_ = new QRadioButton(QStringLiteral("Window of the run"), inputs);
  windowChoice_->setChecked(true);
  windowText_ = new QLabel(inputs);
  windowText_->setWordWrap(true);
  form->addRow(windowChoice_);
  form->addRow(windowText_);
  // Without a live test there is nothing to choose between.
  windowChoice_->setVisible(offersLive);
  if (offersLive)
    addLiveRows(form, inputs);
  else
    addFileWindowRows(form, inputs);
  allowed_ = new QDoubleSpinBox(inputs);
  allowed_->setDecimals(3);
  allowed_->setRange(0.0, 1.0e6);
  allowed_->setValue(kDefaultAllowedPercent);
  allowedKind_ = new QComboBox(inputs);
  allowedKind_->addItems({QStringLiteral("% of start"), QStringLiteral("amount")});
  auto* allowedRow = new QHBoxLayout;
  allowedRow->addWidget(allowed_, 1);
  allowedRow->addWidget(allowedKind_);
  form->addRow(QStringLiteral("Allowed change:"), allowedRow);
  minimumOn_ = new QCheckBox(inputs);
  minimum_ = new QDoubleSpinBox(inputs);
  minimum_->setDecimals(3);
  minimum_->setRange(-1.0e6, 1.0e6);
  auto* minimumRow = new QHBoxLayout;
  minimumRow->addWidget(minimumOn_);
  minimumRow->addWidget(minimum_, 1);
  form->addRow(QStringLiteral("Minimum:"), minimumRow);
  checkpoints_ = new QSpinBox(inputs);
  checkpoints_->setRange(kMinCheckpoints, kMaxCheckpoints);
  checkpoints_->setValue(kDefaultCheckpoints);
  form->addRow(QStringLiteral("Checkpoints:"), checkpoints_);

  auto changed = [this] {
    syncEnabling();
    if (!restoring_) emit criteriaChanged();
  };
  connect(allowed_, &QDoubleSpinBox::valueChanged, this, changed);
  connect(allowedKind_, &QComboBox::currentIndexChanged, this, changed);
  connect(minimumOn_, &QCheckBox::toggled, this, changed);
  connect(minimum_, &QDoubleSpinBox::valueChanged, this, changed);
  connect(checkpoints_, &QSpinBox::valueChanged, this, changed);
  return inputs;
}

void HoldTestPanel::addLiveRows(QFormLayout* form, QWidget* inputs) {
  liveChoice_ = new QRadioButton(QStringLiteral("Live test on the going run"), inputs);
  holdMinutes_ = new QSpinBox(inputs);
  holdMinutes_->setRange(1, kMaxHoldMinutes);
  holdMinutes_->setValue(kDefaultHoldMinutes);
  holdMinutes_->setSuffix(QStringLiteral(" min"));
  start_ = new QPushButton(QStringLiteral("Start"), inputs);
  auto* live = new QHBoxLayout;
  live->addWidget(holdMinutes_);
  live->addWidget(start_);
  form->addRow(liveChoice_);
  form->addRow(QStringLiteral("Hold period:"), live);
  connect(liveChoice_, &QRadioButton::toggled, this, [this] {
    syncEnabling();
    emit criteriaChanged();
  });
  connect(start_, &QPushButton::clicked, this, [this] {
    if (liveGoing_)
      emit cancelLiveClicked();
    else
      emit startLiveClicked();
  });
}

void HoldTestPanel::addFileWindowRows(QFormLayout* form, QWidget* inputs) {
  fileWindow_ = new QComboBox(inputs);
  fileWindow_->setObjectName(QStringLiteral("FileWindow"));
  fileWindow_->addItem(QStringLiteral("Whole file"), static_cast<int>(FileWindow::WholeFile));
  fileWindow_->addItem(QStringLiteral("Zoomed span"), static_cast<int>(FileWindow::ZoomedSpan));
  fileWindow_->addItem(QStringLiteral("Times typed"), static_cast<int>(FileWindow::TypedTimes));
  form->insertRow(0, QStringLiteral("Window:"), fileWindow_);
  from_ = new QLineEdit(inputs);
  to_ = new QLineEdit(inputs);
  for (QLineEdit* edit : {from_, to_}) {
    edit->setPlaceholderText(QStringLiteral("HH:MM:SS"));
    edit->setToolTip(QStringLiteral("A time of day, or seconds from the start of the file"));
  }
  from_->setObjectName(QStringLiteral("WindowFrom"));
  to_->setObjectName(QStringLiteral("WindowTo"));
  auto* times = new QHBoxLayout;
  times->addWidget(from_, 1);
  times->addWidget(new QLabel(QStringLiteral("to"), inputs));
  times->addWidget(to_, 1);
  form->insertRow(1, QStringLiteral("From:"), times);
  connect(fileWindow_, &QComboBox::currentIndexChanged, this, [this] {
    syncEnabling();
    if (!restoring_) emit criteriaChanged();
  });
  for (QLineEdit* edit : {from_, to_})
    connect(edit, &QLineEdit::editingFinished, this, [this] {
      if (fileWindow() == FileWindow::TypedTimes && !restoring_) emit criteriaChanged();
    });
}

FileWindow HoldTestPanel::fileWindow() const {
  if (!fileWindow_) return FileWindow::WholeFile;
  return static_cast<FileWindow>(fileWindow_->currentData().toInt());
}

QString HoldTestPanel::typedFrom() const {
  return from_ ? from_->text() : QString();
}

QString HoldTestPanel::typedTo() const {
  return to_ ? to_->text() : QString();
}

void HoldTestPanel::setTypedTimes(const QString& from, const QString& to) {
  if (!from_) return;
  from_->setText(from);
  to_->setText(to);
  if (fileWindow() == FileWindow::TypedTimes) emit criteriaChanged();
}

void HoldTestPanel::chooseFileWindow(FileWindow window) {
  if (!fileWindow_) return;
  const int index = fileWindow_->findData(static_cast<int>(window));
  if (index >= 0) fileWindow_->setCurrentIndex(index);
}

void HoldTestPanel::offerSavedWindow(bool offered) {
  if (!fileWindow_) return;
  restoring_ = true;
  const int saved = fileWindow_->findData(static_cast<int>(FileWindow::SavedTest));
  if (offered && saved < 0)
    fileWindow_->insertItem(0, QStringLiteral("Window of the saved test"),
                            static_cast<int>(FileWindow::SavedTest));
  if (!offered && saved >= 0) fileWindow_->removeItem(saved);
  // A file opened starts from its own test's window, or from the whole file.
  chooseFileWindow(offered ? FileWindow::SavedTest : FileWindow::WholeFile);
  restoring_ = false;
  syncEnabling();
}

void HoldTestPanel::chooseWindowOfRun() {
  if (windowChoice_ && liveChoice_ && !liveGoing_) windowChoice_->setChecked(true);
}

HoldCriteria HoldTestPanel::criteria() const {
  HoldCriteria c;
  c.allowedKind = allowedKind_->currentIndex() == 0 ? AllowedKind::Percent : AllowedKind::Amount;
  c.allowed = allowed_->value();
  if (minimumOn_->isChecked()) c.minimum = minimum_->value();
  c.checkpoints = checkpoints_->value();
  return c;
}

void HoldTestPanel::setCriteria(const HoldCriteria& c) {
  restoring_ = true;
  allowedKind_->setCurrentIndex(c.allowedKind == AllowedKind::Percent ? 0 : 1);
  allowed_->setValue(c.allowed);
  minimumOn_->setChecked(c.minimum.has_value());
  if (c.minimum) minimum_->setValue(*c.minimum);
  checkpoints_->setValue(c.checkpoints);
  restoring_ = false;
  syncEnabling();
}

int HoldTestPanel::holdSeconds() const {
  return holdMinutes_ ? holdMinutes_->value() * 60 : 0;
}

bool HoldTestPanel::liveChosen() const {
  return liveChoice_ && liveChoice_->isChecked();
}

void HoldTestPanel::showWindow(const QString& text) {
  windowText_->setText(text);
}

void HoldTestPanel::showOutcome(const HoldCriteria& criteria, const HoldOutcome& outcome) {
  card_->showStatus(QString());
  card_->showOutcome(criteria, outcome);
}

void HoldTestPanel::showLive(const LiveHoldTest& test) {
  liveGoing_ = test.going();
  const QString times = QStringLiteral("Elapsed %1, remaining %2")
                            .arg(QString::fromStdString(FormatDuration(test.elapsedSeconds())),
                                 QString::fromStdString(FormatDuration(test.remainingSeconds())));
  switch (test.stage()) {
    case LiveHoldStage::Off:
      card_->showStatus(QString());
      card_->clear(QStringLiteral("No live test armed."));
      break;
    case LiveHoldStage::Armed:
      card_->showStatus(QStringLiteral("Live test armed: it starts at the next sample."));
      card_->clear(QString());
      break;
    case LiveHoldStage::Running:
      card_->showStatus(QStringLiteral("Live test running. %1. The result if it ended now:").arg(times));
      break;
    case LiveHoldStage::Complete:
      card_->showStatus(QStringLiteral("Live test complete after %1.")
                            .arg(QString::fromStdString(FormatDuration(test.elapsedSeconds()))));
      break;
    case LiveHoldStage::NotComplete:
      card_->showStatus(QStringLiteral("Live test not complete: the run ended after %1 of %2.")
                            .arg(QString::fromStdString(FormatDuration(test.elapsedSeconds())),
                                 QString::fromStdString(FormatDuration(test.holdSeconds()))));
      if (!test.hasOutcome()) card_->clear(QStringLiteral("The run ended before the test's first sample."));
      break;
  }
  if (test.hasOutcome()) card_->showOutcome(test.criteria(), test.outcome());
  syncEnabling();
}

void HoldTestPanel::setRunGoing(bool going) {
  runGoing_ = going;
  syncEnabling();
}

void HoldTestPanel::syncEnabling() {
  minimum_->setEnabled(minimumOn_->isChecked());
  if (fileWindow_) {
    const bool typed = fileWindow() == FileWindow::TypedTimes;
    from_->setEnabled(typed);
    to_->setEnabled(typed);
  }
  if (!start_) return;
  const bool live = liveChosen();
  holdMinutes_->setEnabled(live && !liveGoing_);
  start_->setText(liveGoing_ ? QStringLiteral("Cancel") : QStringLiteral("Start"));
  start_->setEnabled(live && (liveGoing_ || runGoing_));
  // A going test keeps the criteria it was armed with.
  for (QWidget* w : {static_cast<QWidget*>(allowed_), static_cast<QWidget*>(allowedKind_),
                     static_cast<QWidget*>(minimumOn_), static_cast<QWidget*>(checkpoints_),
                     static_cast<QWidget*>(windowChoice_), static_cast<QWidget*>(liveChoice_)})
    w->setEnabled(!liveGoing_);
  if (liveGoing_) minimum_->setEnabled(false);
}

QString HoldTestEndedText(const LiveHoldTest& test) {
  if (test.stage() == LiveHoldStage::NotComplete)
    return QStringLiteral("Hold test not complete: the run ended after %1")
        .arg(QString::fromStdString(FormatDuration(test.elapsedSeconds())));
  const bool passed =
      test.hasOutcome() && test.outcome().error == HoldError::None && test.outcome().result.passed;
  return QStringLiteral("Hold test complete after %1: %2")
      .arg(QString::fromStdString(FormatDuration(test.elapsedSeconds())),
           passed ? QStringLiteral("PASSED") : QStringLiteral("NOT PASSED"));
}

}  // namespace pv::ui
