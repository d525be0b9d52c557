// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for running the built programs against the simulated meter.
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "event_loop.h"

namespace pv::e2e {

inline QString Binary(const char* name) { return QStringLiteral(PNEUVISTA_BINARY_DIR "/") + QString::fromLatin1(name); }

using testsupport::RunEventsFor;
using testsupport::WaitFor;

// The limit of waits that the watchdog ends: a lost or returning link takes up to two of
// its 5 s periods when all is well. The limit only keeps a broken link from hanging.
inline constexpr int kWatchdogWaitMs = 30000;

// What a finished run of a command-line program gave.
struct CliResult {
  int exitCode = -1;  // -1: it did not finish in time, -2: it crashed
  QByteArray out, err;
};

// Runs one of the built programs to its end in the given environment.
inline CliResult RunToEnd(const char* binary, const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(Binary(binary), args);
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAllStandardOutput(),
          p.readAllStandardError()};
}

inline CliResult RunCli(const QStringList& args, const QProcessEnvironment& env) {
  return RunToEnd("pneuvista-cli", args, env);
}

// A program started offscreen with its own configuration folder; its standard error
// is collected as it arrives.
struct Program {
  QTemporaryDir config;
  QProcess process;
  QByteArray err;

  Program() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_STATE_HOME"), config.path() + QStringLiteral("/state"));
    process.setProcessEnvironment(env);
    QObject::connect(&process, &QProcess::readyReadStandardError, [this] { err += process.readAllStandardError(); });
  }
  void start(const QString& binary, const QStringList& args) { process.start(binary, args); }
  int count(const char* text) const { return static_cast<int>(err.count(text)); }
  // Asks the program to end as Ctrl+C would and waits for its exit status.
  int terminate(int timeoutMs = 10000) {
    process.terminate();
    if (!WaitFor([this] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
      process.kill();
      process.waitForFinished();
      return -1;
    }
    err += process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
  }
  ~Program() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished();
    }
  }
};

}  // namespace pv::e2e
