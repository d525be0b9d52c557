// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real subscriber (mosquitto_sub) that collects what a test's broker delivers.
#include "e2e_support.h"
#include "mqtt_broker.h"

namespace pv::e2e {

using testsupport::Broker;
using testsupport::FreeLocalPort;
using testsupport::WriteFile;

// mosquitto_sub on PREFIX/#: each message is one "topic<TAB>payload" line.
struct Subscriber {
  QProcess process;
  QByteArray out;

  // extra: further mosquitto_sub options (-u, -P, a persistent session's -c -i -q 1).
  bool start(const Broker& broker, const QString& prefix, const QStringList& extra = {}) {
    // Line-buffered: the debug lines that say it subscribed are otherwise held back.
    process.start(QStringLiteral("stdbuf"),
                  QStringList{"-oL", "mosquitto_sub", "-d", "-h", "127.0.0.1", "-p", QString::number(broker.port), "-t", prefix + "/#", "-F",
                              "%t\t%p"} + extra);
    return WaitFor([this] { return read().contains("Subscribed"); }, 10000);
  }
  const QByteArray& read() {
    out += process.readAllStandardOutput();
    return out;
  }
  // The payloads on topics ending with suffix, in the order they came.
  QList<QByteArray> payloads(const char* suffix) {
    QList<QByteArray> found;
    for (const QByteArray& line : read().split('\n')) {
      const qsizetype tab = line.indexOf('\t');
      if (tab > 0 && line.left(tab).endsWith(suffix)) found << line.mid(tab + 1);
    }
    return found;
  }
  ~Subscriber() {
    process.kill();
    process.waitForFinished();
  }
};

}  // namespace pv::e2e
