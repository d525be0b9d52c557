// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_serial_port.h"

#include <poll.h>
#include <unistd.h>

#include <QFile>
#include <QMetaObject>
#include <utility>

#include "platform/port_paths.h"

namespace pv {
namespace {

// Qt tells a device locked by another program, and one another program opened
// exclusively (EBUSY), as a permission error. A device we may read and write was
// refused for being in use, not for want of rights.
bool HeldByAnotherProgram(const QSerialPort& serial) {
  if (serial.error() != QSerialPort::PermissionError) return false;
  const QByteArray path = QFile::encodeName(serial.portName().startsWith(QLatin1Char('/'))
                                                ? serial.portName()
                                                : QStringLiteral("/dev/") + serial.portName());
  return ::access(path.constData(), R_OK | W_OK) == 0;
}

// Qt's error code and text of a failed open or transfer.
struct Failure {
  PortErrorKind kind;
  std::string reason;
};

Failure FailureOf(const QSerialPort& serial) {
  if (HeldByAnotherProgram(serial)) return {PortErrorKind::Busy, "in use by another program"};
  const std::string text = serial.errorString().toStdString();
  switch (serial.error()) {
    case QSerialPort::DeviceNotFoundError:
      return {PortErrorKind::NotFound, text};
    case QSerialPort::PermissionError:
      return {PortErrorKind::Permission, text};
    case QSerialPort::OpenError:
      return {PortErrorKind::AlreadyOpen, text};
    case QSerialPort::ResourceError:
      return {PortErrorKind::Gone, text};
    case QSerialPort::NotOpenError:
      return {PortErrorKind::NotOpen, text};
    default:
      return {PortErrorKind::Other, text};
  }
}

// QSerialPort's names for the framing the port interface describes.
QSerialPort::Parity QtParity(Parity parity) {
  switch (parity) {
    case Parity::Even:
      return QSerialPort::EvenParity;
    case Parity::Odd:
      return QSerialPort::OddParity;
    case Parity::None:
      break;
  }
  return QSerialPort::NoParity;
}

// The device is still there: its line has not hung up. A device that is unplugged, or
// a pseudo-terminal whose other side closed, hangs up.
bool LineStillUp(const QSerialPort& serial) {
  pollfd p{static_cast<int>(serial.handle()), POLLIN, 0};
  if (p.fd < 0 || ::poll(&p, 1, 0) < 0) return false;
  return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

// Failed reads in a row, with the line up and no data between them, taken for
// wake-ups that came too late rather than for a failing device.
constexpr int kFailedReadsForgiven = 3;

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QtSerialPort(PathResolver{}, parent) {}

QtSerialPort::QtSerialPort(PathResolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)) {
  if (!resolver_) resolver_ = [](int n) { return ConfiguredPortPath(n); };
  connect(&serial_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
  connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() = default;

void QtSerialPort::fail(PortErrorKind kind, const std::string& reason) {
  lastError_ = reason;
  lastFailure_ = kind;
  throw PortError(kind, reason);
}

std::string QtSerialPort::devicePath() const {
  return override_.empty() ? resolver_(number_) : override_;
}

void QtSerialPort::setDevicePathOverride(std::string path) {
  override_ = std::move(path);
}

void QtSerialPort::selectPort(int number) {
  if (isOpen()) fail(PortErrorKind::AlreadyOpen, openPath_ + ": port already open");
  number_ = number;
}

void QtSerialPort::setLineSettings(const LineSettings& settings) {
  const bool valid = settings.baud > 0 && settings.dataBits >= 5 && settings.dataBits <= 8 &&
                     (settings.stopBits == 1 || settings.stopBits == 2);
  if (!valid) fail(PortErrorKind::Invalid, "invalid line settings");
  line_ = settings;
  if (isOpen()) applyLineSettings();
}

void QtSerialPort::applyLineSettings() {
  // A pseudo-terminal ignores the rate; failures to set a line property are left to
  // show up as missing data rather than refusing a device that otherwise works.
  serial_.setBaudRate(line_.baud);
  serial_.setParity(QtParity(line_.parity));
  serial_.setDataBits(static_cast<QSerialPort::DataBits>(line_.dataBits));
  serial_.setStopBits(line_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  serial_.setFlowControl(QSerialPort::NoFlowControl);
}

void QtSerialPort::setReceiveThreshold(int bytes) {
  if (bytes < 0) fail(PortErrorKind::Invalid, "invalid receive threshold " + std::to_string(bytes));
  threshold_ = bytes;
}

void QtSerialPort::setReadLength(int bytes) {
  if (bytes < 0) fail(PortErrorKind::Invalid, "invalid read length " + std::to_string(bytes));
  readLength_ = bytes;
}

void QtSerialPort::discardInput() {
  // Nothing waits on a closed port, so this is not an error then (the set-up
  // sequence discards before it opens).
  if (!isOpen()) return;
  serial_.readAll();
  serial_.clear(QSerialPort::Input);
}

void QtSerialPort::open() {
  if (isOpen()) fail(PortErrorKind::AlreadyOpen, openPath_ + ": port already open");
  if (serial_.isOpen()) serial_.close();  // a lost device not yet shut down

  const std::string path = devicePath();
  if (path.empty())
    fail(PortErrorKind::NotFound,
         "COM" + std::to_string(number_) + ": no serial device for port number " + std::to_string(number_));

  // Opened (and so locked) under the device's real name, whatever link names it.
  serial_.setPortName(QString::fromStdString(RealDevicePath(path)));
  applyLineSettings();
  lost_ = false;
  lastEventData_ = false;
  failedReads_ = 0;
  if (!serial_.open(QIODevice::ReadWrite)) {
    const Failure failure = FailureOf(serial_);
    serial_.clearError();
    fail(failure.kind, path + ": " + failure.reason);
  }
  serial_.clearError();
  openPath_ = path;
  lastError_.clear();
  lastFailure_ = PortErrorKind::None;
  ++openCount_;
}

void QtSerialPort::close() {
  lost_ = false;
  lastEventData_ = false;
  if (serial_.isOpen()) serial_.close();
}

bool QtSerialPort::isOpen() const {
  return serial_.isOpen() && !lost_;
}

void QtSerialPort::write(std::span<const std::uint8_t> bytes) {
  if (!isOpen()) fail(PortErrorKind::NotOpen, (openPath_.empty() ? devicePath() : openPath_) + ": port not open");
  const auto written =
      serial_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  if (written != static_cast<qint64>(bytes.size())) {
    const Failure failure = FailureOf(serial_);
    fail(failure.kind, openPath_ + ": " + failure.reason);
  }
  // Hand the block to the device now rather than at the next turn of the event loop,
  // so that a command written just before exit still leaves.
  serial_.flush();
}

std::vector<std::uint8_t> QtSerialPort::readAll() {
  if (!isOpen()) fail(PortErrorKind::NotOpen, (openPath_.empty() ? devicePath() : openPath_) + ": port not open");
  const QByteArray data = readLength_ > 0 ? serial_.read(readLength_) : serial_.readAll();
  return {data.begin(), data.end()};
}

bool QtSerialPort::lastEventIsDataReceived() const {
  return lastEventData_;
}

qint64 QtSerialPort::bytesWaiting() const {
  return isOpen() ? serial_.bytesAvailable() : 0;
}

void QtSerialPort::onReadyRead() {
  failedReads_ = 0;
  // QSerialPort announces every byte; the program wants to hear of a whole frame.
  if (lost_ || threshold_ == 0 || serial_.bytesAvailable() < threshold_) return;
  lastEventData_ = true;
  emit dataReceived();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::NoError:
      return;
    case QSerialPort::UnsupportedOperationError:
      // Modem lines on a pseudo-terminal ("Inappropriate ioctl for device").
      serial_.clearError();
      return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError: {
      if (lost_ || !serial_.isOpen()) return;
      // A wake-up for input that is no longer there when it is read (reading with no
      // minimum count then returns nothing) is not a lost device: QSerialPort reports
      // it all the same and stops reading. Reading goes on once the error is cleared
      // and QSerialPort is asked for data again. A line that keeps failing without data
      // between the failures is given up as lost, rather than read in a busy loop.
      if (LineStillUp(serial_) && ++failedReads_ <= kFailedReadsForgiven) {
        serial_.clearError();
        QMetaObject::invokeMethod(
            this,
            [this, openCount = openCount_] {
              if (openCount == openCount_ && isOpen()) serial_.readAll();
            },
            Qt::QueuedConnection);
        return;
      }
      // A serial device has no end of file: a failing read on a line that hung up means
      // it is gone. The QSerialPort is closed outside its own signal, then the loss is
      // announced.
      lost_ = true;
      lastEventData_ = false;
      lastFailure_ = PortErrorKind::Gone;
      lastError_ = openPath_ + ": device disconnected";
      // Qt tells a read the system refused (EIO) as a resource error with the system's
      // reason. A hung-up device only reads nothing: Qt then calls it a read error and
      // its text is whatever an earlier modem-line ioctl left, which would mislead.
      if (error == QSerialPort::ResourceError) lastError_ += " (" + FailureOf(serial_).reason + ")";
      const QString reason = QString::fromStdString(lastError_);
      QMetaObject::invokeMethod(
          this,
          [this, reason, openCount = openCount_] {
            if (openCount != openCount_) return;
            if (lost_ && serial_.isOpen()) serial_.close();
            serial_.clearError();
            emit portLost(reason);
          },
          Qt::QueuedConnection);
      return;
    }
    default:
      // Open failures are reported by open() itself, with the path it tried.
      if (serial_.isOpen()) {
        const Failure failure = FailureOf(serial_);
        lastError_ = openPath_ + ": " + failure.reason;
        lastFailure_ = failure.kind;
      }
      return;
  }
}

}  // namespace pv
