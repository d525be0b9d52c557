// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting in Qt's event loop, counting paints and reading the process's own memory
// figures: shared by the widget tests, the end-to-end tests and the whole-program
// benchmarks.
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

namespace pv::testsupport {

// Runs the event loop until done() holds or the time is up; returns done(). Between
// looks it sleeps in a nested event loop (which also carries out deleteLater()) for at
// most 10 ms, instead of spinning a core while the program under test works.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// Runs the event loop for this long, whatever happens.
inline void RunEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Counts the paint events one widget receives; onFirst, when set, runs at the first.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int count = 0;
  std::function<void()> onFirst;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && count++ == 0 && onFirst) onFirst();
    return false;
  }
};

// A line of /proc/self/status such as "VmRSS:" or "VmHWM:", in KiB; -1 if it is missing.
inline long ProcStatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(key);
  while (std::getline(status, line))
    if (line.compare(0, n, key) == 0) return std::stol(line.substr(n));
  return -1;
}

}  // namespace pv::testsupport
