// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's small dialogs (the sample rate, the other port number, About) and
// the questions its commands put to the user, with the dialogs that ask them.
#include <QDialog>
#include <QStringList>
#include <functional>

#include "files/run_recovery.h"
#include "session/session_interfaces.h"

class QLineEdit;

namespace pv::ui {

// An edit box taking a whole number, with OK; Escape cancels. A text that is not a
// number is refused with the standard message and the dialog stays open.
class IntegerDialog : public QDialog {
  Q_OBJECT
 public:
  int value() const { return value_; }
  void setValue(int v);
  QLineEdit* edit() const { return edit_; }
  void accept() override;

 protected:
  IntegerDialog(QWidget* parent, bool unsignedOnly);
  void showEvent(QShowEvent* event) override;
  // The box takes digits only, typed or pasted; a number above maximum is refused with
  // rangeMessage and the dialog stays open.
  void takeDigitsUpTo(int maximum, QString rangeMessage);
  QLineEdit* edit_ = nullptr;

 private:
  void refuse(const QString& message);
  bool unsigned_;
  int maximum_ = -1;  // none unless takeDigitsUpTo set one
  QString rangeMessage_;
  int value_ = 0;
};

class SampleRateDialog : public IntegerDialog {
  Q_OBJECT
 public:
  explicit SampleRateDialog(QWidget* parent);
};

class PortNumberDialog : public IntegerDialog {
  Q_OBJECT
 public:
  explicit PortNumberDialog(QWidget* parent);
};

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent);
};

// "Q5716 Pneuvista Software Version " and the program's version.
QString AboutText();

// The questions the commands put to the user. The program asks them with its dialogs;
// tests answer them with a script.
struct UserPrompts {
  // Run's and the close's save questions, told apart by their text.
  std::function<SaveAnswer(const QString& question)> askToSave;
  std::function<bool(int preset, int* value)> askSampleRate;
  std::function<bool(int preset, int* value)> askPortNumber;
  // COM Port > Find meter: the meters found; returns the index chosen, -1 for none. An
  // empty list only says that no meter was found.
  std::function<int(const QStringList& meters)> askMeter;
  // At start, for each run a crash or a kill left unsaved.
  std::function<RecoveryAnswer(const QString& question)> askRecovery;
};

// prompts with each question it does not answer asked by the program's own dialog,
// standing over parent.
UserPrompts WithDialogs(UserPrompts prompts, QWidget* parent);

}  // namespace pv::ui
