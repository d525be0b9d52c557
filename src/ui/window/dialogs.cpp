// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>

#include "chart/sample_store.h"
#include "pneuvista_version.h"
#include "ui/common/ui_constants.h"
#include "ui/window/recovery_question.h"
#include "ui/window/save_question.h"

namespace pv::ui {

IntegerDialog::IntegerDialog(QWidget* parent, bool unsignedOnly) : QDialog(parent), unsigned_(unsignedOnly) {
  setWindowTitle(QStringLiteral("Dialog"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  edit_ = new QLineEdit(this);
}

void IntegerDialog::setValue(int v) {
  value_ = v;
  edit_->setText(QString::number(v));
  edit_->selectAll();
}

// The offered value is selected, so that typing replaces it instead of adding to it.
void IntegerDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  edit_->setFocus(Qt::OtherFocusReason);
  edit_->selectAll();
}

void IntegerDialog::takeDigitsUpTo(int maximum, QString rangeMessage) {
  maximum_ = maximum;
  rangeMessage_ = std::move(rangeMessage);
  edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
}

void IntegerDialog::refuse(const QString& message) {
  QMessageBox::warning(this, QStringLiteral("PNEUVISTA"), message);
  edit_->setFocus();
  edit_->selectAll();
}

void IntegerDialog::accept() {
  bool ok = false;
  const QString text = edit_->text().trimmed();
  if (maximum_ >= 0) {
    // Digits only: a number too long for any integer is as far past the range as one
    // just above it.
    const QString digits = QString(text).remove(QRegularExpression(QStringLiteral("^0+(?=.)")));
    const qlonglong v = digits.size() <= 10 ? digits.toLongLong(&ok) : 0;
    if (!digits.isEmpty() && (!ok || v > maximum_)) {
      refuse(rangeMessage_);
      return;
    }
  }
  const int v = unsigned_ ? static_cast<int>(text.toUInt(&ok)) : text.toInt(&ok);
  if (!ok) {
    refuse(unsigned_ ? QStringLiteral("Please enter a positive integer.") : QStringLiteral("Please enter an integer."));
    return;
  }
  value_ = v;
  QDialog::accept();
}

SampleRateDialog::SampleRateDialog(QWidget* parent) : IntegerDialog(parent, false) {
  setFixedSize(145 * kDialogUnit, 66 * kDialogUnit);
  auto* label = new QLabel(QStringLiteral("Sample Rate"), this);
  label->setGeometry(Dlu(14, 18, 44, 10));
  edit_->setGeometry(Dlu(60, 16, 40, 13));
  auto* sec = new QLabel(QStringLiteral("Sec"), this);
  sec->setGeometry(Dlu(104, 18, 20, 10));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(Dlu(48, 40, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  // Whole seconds; an interval too long for the run's millisecond field is refused
  // rather than cut short without a word.
  takeDigitsUpTo(kMaxIntervalSeconds,
                 QStringLiteral("Please enter a sample interval from 1 to %1 seconds.").arg(kMaxIntervalSeconds));
  setValue(1);
}

PortNumberDialog::PortNumberDialog(QWidget* parent) : IntegerDialog(parent, true) {
  setFixedSize(138 * kDialogUnit, 72 * kDialogUnit);
  auto* text = new QLabel(QStringLiteral("Please input  integer number  5  to 16"), this);
  text->setGeometry(Dlu(10, 8, 124, 10));
  auto* label = new QLabel(QStringLiteral("COM  No."), this);
  label->setGeometry(Dlu(20, 28, 36, 10));
  edit_->setGeometry(Dlu(60, 26, 40, 13));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(Dlu(44, 50, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setValue(5);
}

QString AboutText() {
  return QStringLiteral("Q5716 Pneuvista Software Version %1 ").arg(QString::fromLatin1(pneuvista::kVersion));
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(235 * kDialogUnit, 55 * kDialogUnit);
  // The icon of the window it belongs to, which is the program's icon.
  auto* icon = new QLabel(this);
  icon->setPixmap(windowIcon().pixmap(32, 32));
  icon->setGeometry(Dlu(11, 17, 20, 20));
  auto* text = new QLabel(AboutText(), this);
  text->setObjectName(QStringLiteral("aboutText"));
  text->setGeometry(Dlu(40, 10, 119, 8));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(Dlu(178, 7, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

namespace {

// An integer dialog run modally, preset; the value entered when confirmed.
template <class Dialog>
bool AskInteger(QWidget* parent, int preset, int* value) {
  Dialog dialog(parent);
  dialog.setValue(preset);
  if (dialog.exec() != QDialog::Accepted) return false;
  *value = dialog.value();
  return true;
}

int AskMeter(QWidget* parent, const QStringList& meters) {
  const QString title = QStringLiteral("Find meter");
  if (meters.isEmpty()) {
    QMessageBox::information(parent, title, QStringLiteral("No meter was found. Is it switched on and connected?"));
    return -1;
  }
  bool ok = false;
  const QString item =
      QInputDialog::getItem(parent, title, QStringLiteral("Use this meter for the current port:"), meters, 0, false, &ok);
  return ok ? static_cast<int>(meters.indexOf(item)) : -1;
}

}  // namespace

UserPrompts WithDialogs(UserPrompts prompts, QWidget* parent) {
  if (!prompts.askToSave) prompts.askToSave = [parent](const QString& q) { return AskSaveQuestion(q, parent); };
  if (!prompts.askSampleRate) prompts.askSampleRate = [parent](int preset, int* value) {
    return AskInteger<SampleRateDialog>(parent, preset, value);
  };
  if (!prompts.askPortNumber) prompts.askPortNumber = [parent](int preset, int* value) {
    return AskInteger<PortNumberDialog>(parent, preset, value);
  };
  if (!prompts.askMeter) prompts.askMeter = [parent](const QStringList& meters) { return AskMeter(parent, meters); };
  if (!prompts.askRecovery) prompts.askRecovery = [parent](const QString& q) { return AskRecoveryQuestion(q, parent); };
  return prompts;
}

}  // namespace pv::ui
