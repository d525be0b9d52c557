// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the modal dialogs a command opens, as a user would: each step waits until the
// widget it needs is on screen among the top-level widgets, then acts on it. The steps
// run from a timer while the command's own dialog loop runs.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace pv::ui::test {

// The visible top-level widget of type T (the topmost one when there are several).
template <typename T>
T* VisibleTopLevel() {
  T* found = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) found = t;
  return found;
}

// The name box of the program's own (not the system's) file dialog.
inline QLineEdit* FileNameEdit(QFileDialog* dialog) {
  return dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
}

// Presses a key once the current step has returned: a key that opens another dialog
// runs that dialog's loop, and the script's timer must be free to answer it.
inline void PressLater(QWidget* target, Qt::Key key) {
  QMetaObject::invokeMethod(
      target, [target, key] { QTest::keyClick(target, key); }, Qt::QueuedConnection);
}

class DialogScript : public QObject {
 public:
  // A step returns false while what it waits for is not there yet.
  using Step = std::function<bool()>;

  explicit DialogScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (next_ < steps_.size() && steps_[next_]()) ++next_;
      if (next_ == steps_.size()) timer_.stop();
    });
    timer_.start();
  }
  bool finished() const { return next_ == steps_.size(); }

 private:
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QTimer timer_;
};

}  // namespace pv::ui::test
