// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result card of a hold test: PASSED or NOT PASSED in large type with its reasons,
// the pressures, the change with its direction arrow, the rate and the checkpoints
// with their flags, how far the test got, and while a live test goes its elapsed and
// remaining time. A record read back with a file also shows what its check found.
#include <QWidget>

#include "holdtest/hold_test.h"

class QLabel;
class QFormLayout;

namespace pv::ui {

class HoldResultCard : public QWidget {
  Q_OBJECT
 public:
  explicit HoldResultCard(QWidget* parent = nullptr);

  // The outcome of the criteria; an error shows its sentence instead of a result.
  void showOutcome(const HoldCriteria& criteria, const HoldOutcome& outcome);
  // A line over the verdict: what the result stands for (live, final, not complete).
  void showStatus(const QString& status);
  // What checking a record read back found (one sentence each); none hides the lines.
  void showCheck(const QStringList& differences);
  void clear(const QString& why);

  QString verdictText() const;
  QString reasonsText() const;
  QString statusText() const;
  QString checkText() const;
  // The card's rows and checkpoints as plain text, one line each (for tests and copying).
  QString detailsText() const;

 private:
  QLabel* status_;
  QLabel* check_;
  QLabel* verdict_;
  QLabel* reasons_;
  QLabel* rows_;
  QLabel* checkpoints_;
};

}  // namespace pv::ui
