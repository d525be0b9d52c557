// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives a meter session from Qt's event loop: the sample timer, the link watchdog and
// the journal's sync timer, and the serial port's data-received notification. It
// decides nothing itself; the window and `pneuvista-cli record` both drive their run
// through it.
#include <QObject>
#include <QTimer>

#include "session/meter_session.h"

namespace pv {

class QtSerialPort;

class SessionDriver : public QObject, private SessionTimers {
  Q_OBJECT

 public:
  // notifier, when given, is the same port as port: its data-received notification
  // reaches the session. Tests pass a recording port alone and call receive().
  SessionDriver(AppModel& model, SerialPort& port, QtSerialPort* notifier, ModelObserver& observer,
                RunJournal* journal = nullptr, QObject* parent = nullptr);

  MeterSession& session() { return session_; }
  const MeterSession& session() const { return session_; }
  // The wall clock the session is given.
  static Millis now();

  // The watchdog gives up on a meter that never answered at this many silent ticks;
  // 0 (the window's way) never gives up.
  void giveUpAfterSilentTicks(int ticks) { giveUpAfter_ = ticks; }

  // The events, at once (the timers and the port call them; tests too).
  void receive();
  void sampleTick();
  void watchdogTick();

  // Milliseconds until the timer fires; -1 when it is stopped.
  int sampleTimerDueIn() const { return remaining(sampleTimer_); }
  int watchdogDueIn() const { return remaining(watchdog_); }

 signals:
  // Before and after a received block is taken in.
  void receiving();
  void received(const pv::Decoded& frame);
  void sampleTicked(bool committed);
  void watchdogTicked(const pv::WatchdogOutcome& outcome);

 private:
  void armSampleTimer(int inMs) override { arm(sampleTimer_, inMs); }
  void armWatchdog(int inMs) override { arm(watchdog_, inMs); }
  void armJournalSync(int inMs) override { arm(journalSync_, inMs); }
  static void arm(QTimer& timer, int inMs);
  static int remaining(const QTimer& timer) { return timer.isActive() ? timer.remainingTime() : -1; }

  QTimer sampleTimer_;
  QTimer watchdog_;
  QTimer journalSync_;
  MeterSession session_;
  int giveUpAfter_ = 0;
};

}  // namespace pv
