// SPDX-License-Identifier: GPL-3.0-or-later
#include "driver/session_driver.h"

#include <QDateTime>

#include "platform/qt_serial_port.h"

namespace pv {

SessionDriver::SessionDriver(AppModel& model, SerialPort& port, QtSerialPort* notifier, ModelObserver& observer,
                             RunJournal* journal, QObject* parent)
    : QObject(parent), session_(model, port, observer, *this, journal) {
  for (QTimer* timer : {&sampleTimer_, &watchdog_, &journalSync_}) {
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
  }
  connect(&sampleTimer_, &QTimer::timeout, this, &SessionDriver::sampleTick);
  connect(&watchdog_, &QTimer::timeout, this, &SessionDriver::watchdogTick);
  connect(&journalSync_, &QTimer::timeout, this, [this] { session_.journalSyncDue(now()); });
  if (notifier) connect(notifier, &QtSerialPort::dataReceived, this, &SessionDriver::receive);
}

Millis SessionDriver::now() {
  return QDateTime::currentMSecsSinceEpoch();
}

void SessionDriver::receive() {
  emit receiving();
  const Decoded frame = session_.bytesArrived(now());
  emit received(frame);
}

void SessionDriver::sampleTick() {
  emit sampleTicked(session_.sampleTick(now()));
}

void SessionDriver::watchdogTick() {
  emit watchdogTicked(session_.watchdogTick(giveUpAfter_));
}

void SessionDriver::arm(QTimer& timer, int inMs) {
  if (inMs < 0) {
    timer.stop();
  } else {
    timer.start(inMs);
  }
}

}  // namespace pv
