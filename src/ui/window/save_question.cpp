// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/save_question.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace pv::ui {
namespace {

class SaveQuestionBox : public QMessageBox {
 public:
  SaveQuestionBox(const QString& question, QWidget* parent)
      : QMessageBox(QMessageBox::Question, QStringLiteral("PNEUVISTA"), question, Yes | No, parent) {
    setDefaultButton(Yes);
  }

 protected:
  // A message box makes No its escape button; here Escape leaves both unanswered.
  void keyPressEvent(QKeyEvent* e) override {
    if (e->matches(QKeySequence::Cancel)) {
      reject();
      return;
    }
    QMessageBox::keyPressEvent(e);
  }
  // The dialog's own close: rejected, with no button clicked.
  void closeEvent(QCloseEvent* e) override { QDialog::closeEvent(e); }
};

}  // namespace

SaveAnswer AskSaveQuestion(const QString& question, QWidget* parent) {
  SaveQuestionBox box(question, parent);
  box.exec();
  if (box.clickedButton() == box.button(QMessageBox::Yes)) return SaveAnswer::Save;
  if (box.clickedButton() == box.button(QMessageBox::No)) return SaveAnswer::DontSave;
  return SaveAnswer::Cancel;
}

}  // namespace pv::ui
