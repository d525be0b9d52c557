// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/recovery_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace pv::ui {

RecoveryAnswer AskRecoveryQuestion(const QString& question, QWidget* parent) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("PNEUVISTA"), question, QMessageBox::NoButton, parent);
  QPushButton* recover = box.addButton(QString::fromLatin1(kRecoverButton), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QString::fromLatin1(kDiscardButton), QMessageBox::DestructiveRole);
  QPushButton* later = box.addButton(QString::fromLatin1(kLaterButton), QMessageBox::RejectRole);
  box.setDefaultButton(recover);
  box.setEscapeButton(later);
  box.exec();
  if (box.clickedButton() == recover) return RecoveryAnswer::Recover;
  if (box.clickedButton() == discard) return RecoveryAnswer::Discard;
  return RecoveryAnswer::Later;
}

}  // namespace pv::ui
