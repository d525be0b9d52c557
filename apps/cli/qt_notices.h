// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's notices that say nothing to the person at a terminal, kept off standard error.
#include <QString>
#include <QtGlobal>
#include <cstring>

namespace pv {

namespace qt_notices_detail {
inline QtMessageHandler g_next = nullptr;

// Running as root, or from a service, leaves XDG_RUNTIME_DIR unset; Qt then uses a
// folder of its own and says so on every start. Nothing the user can act on.
inline bool IsRuntimeDirNotice(const QString& message) {
  return message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

inline void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && IsRuntimeDirNotice(message)) return;
  g_next(type, context, message);
}
}  // namespace qt_notices_detail

// Call once, before the application object.
inline void DropRuntimeDirNotice() {
  if (qt_notices_detail::g_next) return;
  // Qt returns its default handler when none was installed.
  qt_notices_detail::g_next = qInstallMessageHandler(qt_notices_detail::Filter);
}

}  // namespace pv
