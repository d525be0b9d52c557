// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real mosquitto broker on a free port of 127.0.0.1 for one test or benchmark; it
// ends with the object.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "event_loop.h"

namespace pv::testsupport {

// A port the system just handed out and took back.
inline int FreeLocalPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
    port = ntohs(address.sin_port);
  ::close(s);
  return port;
}

inline void WriteFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text);
}

struct Broker {
  QTemporaryDir dir;
  QProcess process;
  QByteArray log;
  int port = FreeLocalPort();

  Broker() {
    QObject::connect(&process, &QProcess::readyReadStandardError, [this] { log += process.readAllStandardError(); });
  }
  QString path(const char* name) const { return dir.path() + "/" + QString::fromLatin1(name); }
  // The listener on port, then any further lines of mosquitto.conf. Waits until the broker
  // says it runs; false when it did not.
  bool start(const QByteArray& extra = "allow_anonymous true\n") {
    // Run as root (as CI does), mosquitto would become the user "mosquitto", who cannot
    // read the test's private folder.
    WriteFile(path("mosquitto.conf"), "user root\nlistener " + QByteArray::number(port) + " 127.0.0.1\n" + extra);
    return restart();
  }
  // A broker that keeps its clients' sessions, QoS 0 messages included, across a restart.
  bool startKeepingSessions() {
    return start("allow_anonymous true\npersistence true\npersistence_location " + dir.path().toUtf8() +
                 "/\nqueue_qos0_messages true\nmax_queued_messages 0\n");
  }
  bool restart() {
    log.clear();
    process.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), path("mosquitto.conf")});
    return WaitFor([this] { return log.contains(" running") || process.state() == QProcess::NotRunning; }, 10000) &&
           process.state() == QProcess::Running;
  }
  void kill() {
    process.kill();
    process.waitForFinished();
  }
  QString url(int atPort = 0, const char* scheme = "mqtt") const {
    return QString::fromLatin1(scheme) + "://127.0.0.1:" + QString::number(atPort ? atPort : port);
  }
  ~Broker() {
    if (process.state() != QProcess::NotRunning) kill();
  }
};

}  // namespace pv::testsupport
