// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test's panel beside a chart: the window it judges (the cursors or the whole
// run, or a hold period for a live test; in the Graph window the saved test's window,
// the whole file, the zoomed span or two times typed), the allowed change as a percentage or an
// amount, the minimum, the checkpoints, and the result card. The window it sits in
// analyses; the panel only asks and shows.
#include <QWidget>

#include "holdtest/hold_test.h"
#include "holdtest/live_hold_test.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pv::ui {

class HoldResultCard;

// The windows of a saved file the Graph window's panel offers.
enum class FileWindow { SavedTest, WholeFile, ZoomedSpan, TypedTimes };

class HoldTestPanel : public QWidget {
  Q_OBJECT
 public:
  // offersLive: the main window's panel can arm a test on a going run.
  explicit HoldTestPanel(bool offersLive, QWidget* parent = nullptr);

  // The criteria as entered; their window is the window's to fill in.
  HoldCriteria criteria() const;
  // Puts a test's criteria back (a restored test), without asking for an analysis.
  void setCriteria(const HoldCriteria& criteria);
  // The hold period of a live test.
  int holdSeconds() const;
  // Whether a live test is chosen rather than a window of the run.
  bool liveChosen() const;
  // Chooses the window of the run over the live test (the user placed cursors).
  void chooseWindowOfRun();

  // The Graph window's choice of window, and the two times typed for it.
  FileWindow fileWindow() const;
  QString typedFrom() const;
  QString typedTo() const;
  void setTypedTimes(const QString& from, const QString& to);
  void chooseFileWindow(FileWindow window);
  // A file with a test saved beside it offers that test's window, chosen at first.
  void offerSavedWindow(bool offered);

  // What the window is: "Cursors A-B: 10:00:01 - 10:02:01", "Whole run".
  void showWindow(const QString& text);
  void showOutcome(const HoldCriteria& criteria, const HoldOutcome& outcome);
  // A live test as it stands: its stage, elapsed and remaining time, its result so far.
  void showLive(const LiveHoldTest& test);
  // Whether a run is going that a live test could be armed on.
  void setRunGoing(bool going);

  HoldResultCard* card() const { return card_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* recordButton() const { return record_; }
  QPushButton* printButton() const { return print_; }

 signals:
  // An input changed: the window analyses again.
  void criteriaChanged();
  void startLiveClicked();
  void cancelLiveClicked();
  void recordClicked();
  void printClicked();

 private:
  void syncEnabling();
  QWidget* createInputs(bool offersLive);
  void addLiveRows(QFormLayout* form, QWidget* inputs);
  void addFileWindowRows(QFormLayout* form, QWidget* inputs);

  QRadioButton* windowChoice_ = nullptr;
  QRadioButton* liveChoice_ = nullptr;
  QLabel* windowText_ = nullptr;
  QComboBox* fileWindow_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QSpinBox* holdMinutes_ = nullptr;
  QDoubleSpinBox* allowed_ = nullptr;
  QComboBox* allowedKind_ = nullptr;
  QCheckBox* minimumOn_ = nullptr;
  QDoubleSpinBox* minimum_ = nullptr;
  QSpinBox* checkpoints_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* record_ = nullptr;
  QPushButton* print_ = nullptr;
  HoldResultCard* card_ = nullptr;
  bool runGoing_ = false;
  bool liveGoing_ = false;
  bool restoring_ = false;
};

// The status bar's sentence when a live test ends.
QString HoldTestEndedText(const LiveHoldTest& test);

}  // namespace pv::ui
