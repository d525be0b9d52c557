// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT and SIGTERM (and SIGHUP when asked) delivered as a Qt signal on the event
// loop, so that a program stopped from a terminal or a script ends through its normal
// close path.
#include <QObject>

class QSocketNotifier;

namespace pv {

class QuitSignals : public QObject {
  Q_OBJECT
 public:
  // A program that records for a terminal ends with it as with Ctrl+C, saving what it
  // holds, instead of being killed by the hang-up.
  enum HangUp { kWithoutHangUp, kWithHangUp };
  explicit QuitSignals(QObject* parent = nullptr) : QuitSignals(kWithoutHangUp, parent) {}
  explicit QuitSignals(HangUp hangUp, QObject* parent = nullptr);
  ~QuitSignals() override;

 signals:
  void quitRequested(int signalNumber);

 private:
  QSocketNotifier* notifier_ = nullptr;
  bool hangUp_ = false;
};

}  // namespace pv
