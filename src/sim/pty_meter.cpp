// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty_meter.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace pv {
namespace {

constexpr int kSlaveWatchMs = 20;

std::string SystemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

PtyMeter::PtyMeter(std::string linkPath, QObject* parent) : QObject(parent), linkPath_(std::move(linkPath)) {
  clock_.start();
  stream_.setTimerType(Qt::PreciseTimer);
  connect(&stream_, &QTimer::timeout, this, &PtyMeter::onStreamTick);
  slaveWatch_.setInterval(kSlaveWatchMs);
  connect(&slaveWatch_, &QTimer::timeout, this, &PtyMeter::pollForSlave);
  setFramesPerSecond(kDefaultFramesPerSecond);
}

PtyMeter::~PtyMeter() {
  closePty();
}

double PtyMeter::now() const {
  return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

bool PtyMeter::start() {
  if (!isPlugged() && !openPty()) return false;
  stream_.start();
  return true;
}

void PtyMeter::setFramesPerSecond(double rate) {
  if (!(rate > 0)) rate = kDefaultFramesPerSecond;
  rate_ = std::min(rate, kMaxFramesPerSecond);
  stream_.setInterval(std::max(1, static_cast<int>(std::lround(1000.0 / rate_))));
}

std::string PtyMeter::devicePath() const {
  return linkPath_.empty() ? slavePath_ : linkPath_;
}

bool PtyMeter::openPty() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    error_ = SystemError("posix_openpt");
    return false;
  }
  char name[128];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    error_ = SystemError("pseudo-terminal set-up");
    ::close(master);
    return false;
  }
  // Raw before anything is written: the cooked line discipline would echo bytes back
  // and act on control characters (0x03 is Ctrl-C).
  termios tio{};
  if (tcgetattr(master, &tio) != 0 || (cfmakeraw(&tio), tcsetattr(master, TCSANOW, &tio) != 0)) {
    error_ = SystemError("raw mode");
    ::close(master);
    return false;
  }
  // Opening and closing the slave once puts the master in its "nobody listening"
  // state, so the stream can tell that and drop frames as a real line does instead of
  // queueing them for whoever opens the device next.
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave >= 0) ::close(slave);

  if (!linkPath_.empty()) {
    struct stat st {};
    if (lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
      error_ = linkPath_ + ": exists and is not a symbolic link";
      ::close(master);
      return false;
    }
    // Replace the link in one step, so that it never names nothing while plugged in.
    const std::string tmp = linkPath_ + ".new" + std::to_string(getpid());
    ::unlink(tmp.c_str());
    if (::symlink(name, tmp.c_str()) != 0 || ::rename(tmp.c_str(), linkPath_.c_str()) != 0) {
      error_ = SystemError(linkPath_);
      ::unlink(tmp.c_str());
      ::close(master);
      return false;
    }
  }

  master_ = master;
  slavePath_ = name;
  error_.clear();
  notifier_ = new QSocketNotifier(master, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &PtyMeter::onMasterReadable);
  return true;
}

void PtyMeter::closePty() {
  slaveWatch_.stop();
  if (notifier_) {
    notifier_->setEnabled(false);
    delete notifier_;
    notifier_ = nullptr;
  }
  if (master_ >= 0) {
    ::close(master_);
    master_ = -1;
  }
  if (!linkPath_.empty()) {
    // Only our own link goes: another simulator may have taken the name meanwhile.
    char target[256];
    const auto n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == slavePath_)
      ::unlink(linkPath_.c_str());
  }
}

void PtyMeter::unplug() {
  closePty();
}

bool PtyMeter::plugIn() {
  return isPlugged() || openPty();
}

bool PtyMeter::slaveConnected() const {
  if (master_ < 0) return false;
  pollfd p{master_, POLLIN, 0};
  if (::poll(&p, 1, 0) < 0) return false;
  return (p.revents & POLLHUP) == 0;
}

void PtyMeter::onMasterReadable() {
  char buf[256];
  while (master_ >= 0) {
    const auto n = ::read(master_, buf, sizeof buf);
    if (n > 0) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(buf);
      for (const auto code : model_.handleCommandBytes({bytes, static_cast<std::size_t>(n)}, now()))
        emit commandReceived(code);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EIO) {
      // No slave open: normal for a pseudo-terminal nobody uses yet or any more. The
      // master would stay readable (hang-up) and spin the loop, so watch instead.
      if (notifier_) notifier_->setEnabled(false);
      slaveWatch_.start();
    }
    return;
  }
}

void PtyMeter::pollForSlave() {
  if (master_ < 0) {
    slaveWatch_.stop();
    return;
  }
  if (!slaveConnected()) return;
  slaveWatch_.stop();
  if (notifier_) notifier_->setEnabled(true);
}

QByteArray PtyMeter::nextFrameBytes() {
  MeterFrame frame;
  if (!model_.nextFrame(now(), frame)) return {};
  return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
}

void PtyMeter::writeBytes(const QByteArray& bytes) {
  if (bytes.isEmpty() || !slaveConnected()) return;
  qsizetype done = 0;
  while (done < bytes.size()) {
    const auto n = ::write(master_, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // full (nobody reads) or gone: the bytes are lost, as on a real line
    }
  }
}

void PtyMeter::onStreamTick() {
  if (master_ < 0 || splitsPending_ > 0 || clock_.elapsed() < silentUntilMs_ || !slaveConnected()) return;
  const QByteArray frame = nextFrameBytes();
  if (frame.isEmpty()) return;
  writeBytes(frame);
  emit frameSent();
}

void PtyMeter::sendFrame() { writeBytes(nextFrameBytes()); }

void PtyMeter::injectError(int n) {
  if (n < 1 || n > 4) return;
  const MeterFrame f = MeterModel::ErrorFrame(static_cast<std::uint8_t>(0x10 + n - 1));
  writeBytes(QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size())));
}

void PtyMeter::injectGarbage(const QByteArray& bytes) {
  writeBytes(bytes);
}

void PtyMeter::sendSplitFrame(int gapMs) {
  const QByteArray frame = nextFrameBytes();
  if (frame.isEmpty()) return;
  const qsizetype half = frame.size() / 2;
  // The stream stays out of the gap until the second half is written, however late a
  // busy machine fires the timer, so that the two halves stay one frame.
  ++splitsPending_;
  writeBytes(frame.left(half));
  QTimer::singleShot(gapMs, this, [this, rest = frame.mid(half)] {
    writeBytes(rest);
    --splitsPending_;
  });
}

void PtyMeter::sendJoinedFrames() {
  writeBytes(nextFrameBytes() + nextFrameBytes());
}

void PtyMeter::silence(int ms) {
  silentUntilMs_ = std::max(silentUntilMs_, clock_.elapsed() + ms);
}

}  // namespace pv
