// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the modal dialogs that the code under test opens, as a user would: a timer
// that runs inside each dialog's own event loop finds the dialog and hands it to the
// next step of a script. A step may wait (return false) and is asked again later.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>

namespace pv::testsupport {

class ModalAnswers {
 public:
  using Step = std::function<bool(QWidget* dialog)>;

  ModalAnswers() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
    timer_.start();
  }
  ModalAnswers& then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  // Steps still waiting for their dialog.
  int pending() const { return static_cast<int>(steps_.size()); }

 private:
  void look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || steps_.empty() || modal == answered_) return;
    if (!steps_.front()(modal)) return;
    answered_ = modal;
    steps_.pop_front();
  }

  QTimer timer_;
  std::deque<Step> steps_;
  QPointer<QWidget> answered_;  // the dialog answered last, until it is gone
};

// Step helpers.
inline QMessageBox* AsMessageBox(QWidget* w) { return qobject_cast<QMessageBox*>(w); }
inline QFileDialog* AsFileDialog(QWidget* w) { return qobject_cast<QFileDialog*>(w); }

// Clicks a standard button of a message box.
inline bool Click(QWidget* w, QMessageBox::StandardButton which) {
  QMessageBox* box = AsMessageBox(w);
  if (!box || !box->button(which)) return false;
  box->button(which)->click();
  return true;
}

// Clicks the file dialog's own Cancel button.
inline bool CancelFileDialog(QWidget* w) {
  QFileDialog* dialog = AsFileDialog(w);
  if (!dialog) return false;
  dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  return true;
}

// Types a path into the file dialog's name box and accepts it.
inline bool ChooseInFileDialog(QWidget* w, const QString& path) {
  QFileDialog* dialog = AsFileDialog(w);
  if (!dialog) return false;
  dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
  QDialogButtonBox* buttons = dialog->findChild<QDialogButtonBox*>();
  for (QAbstractButton* b : buttons->buttons())
    if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) b->click();
  return true;
}

}  // namespace pv::testsupport
