// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windowed program started where no graphical session can be reached (a terminal
// on a server, ssh without X forwarding) says so in one line and exits with status 1,
// instead of Qt's abort with a page about platform plugins.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pv {

inline constexpr const char* kNoDisplayMessage =
    "pneuvista: needs a graphical session, and none was found (DISPLAY and WAYLAND_DISPLAY are not set "
    "or cannot be reached); pneuvista-cli works without one\n";

// The platform Qt would start: -platform NAME on the command line, else QT_QPA_PLATFORM.
inline QByteArray ChosenPlatform(int argc, char* argv[]) {
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform")) return argv[i + 1];
  return qgetenv("QT_QPA_PLATFORM");
}

// True when every platform that may be chosen needs a display server (X11, Wayland, or
// the default, which is one of them) and the environment names neither.
inline bool LacksDisplay(int argc, char* argv[]) {
  for (const QByteArray& name : ChosenPlatform(argc, argv).split(';')) {
    const QByteArray plugin = name.split(':').front().trimmed();
    if (!plugin.isEmpty() && plugin != "xcb" && !plugin.startsWith("wayland")) return false;
  }
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

namespace no_display_detail {
inline QtMessageHandler g_next = nullptr;

// While the application object starts: Qt's platform notices are replaced by the one
// line, and its fatal "no platform plugin could be initialized" becomes exit status 1.
inline void WhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(kNoDisplayMessage, stderr);
    std::_Exit(1);
  }
  if (context.category && !std::strncmp(context.category, "qt.qpa.", 7)) return;
  g_next(type, context, message);
}
}  // namespace no_display_detail

// Around the construction of QApplication: a display named but not reachable.
inline void WatchTheStart() { no_display_detail::g_next = qInstallMessageHandler(no_display_detail::WhileStarting); }
inline void StartedWithDisplay() { qInstallMessageHandler(no_display_detail::g_next); }

}  // namespace pv
