// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/quit_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pv {
namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int number) {
  const unsigned char byte = static_cast<unsigned char>(number);
  // Only async-signal-safe work here: hand the number to the event loop.
  [[maybe_unused]] auto n = ::write(g_pipe[0], &byte, 1);
}

}  // namespace

QuitSignals::QuitSignals(HangUp hangUp, QObject* parent) : QObject(parent), hangUp_(hangUp == kWithHangUp) {
  if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
  notifier_ = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    if (::read(g_pipe[1], &byte, 1) == 1) emit quitRequested(byte);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  if (hangUp_) sigaction(SIGHUP, &action, nullptr);
}

QuitSignals::~QuitSignals() {
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  if (hangUp_) signal(SIGHUP, SIG_DFL);
}

}  // namespace pv
