#pragma once
// The main window's small dialogs: the sample rate, the other port number and About.
#include <QDialog>

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

}  // namespace pv::ui
