#include "platform/qt_serial_port.h"

#include <poll.h>
#include <unistd.h>

#include <QFile>
#include <QMetaObject>
#include <utility>

#include "platform/port_paths.h"
#include "text_format.h"

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

std::string ReasonOf(const QSerialPort& serial) {
  if (HeldByAnotherProgram(serial)) return "in use by another program";
  std::string text = serial.errorString().toStdString();
  if (!text.empty() && text != "Unknown error" && text != "No error") return text;
  switch (serial.error()) {
    case QSerialPort::DeviceNotFoundError:
      return "No such file or directory";
    case QSerialPort::PermissionError:
      return "Permission denied";
    case QSerialPort::OpenError:
      return "already open";
    case QSerialPort::ResourceError:
      return "device removed or no longer available";
    default:
      return "serial port error " + std::to_string(static_cast<int>(serial.error()));
  }
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

void QtSerialPort::fail(const std::string& reason) {
  lastError_ = reason;
  throw PortError(reason);
}

std::string QtSerialPort::devicePath() const {
  return override_.empty() ? resolver_(number_) : override_;
}

void QtSerialPort::setDevicePathOverride(std::string path) {
  override_ = std::move(path);
}

void QtSerialPort::selectPort(int number) {
  if (isOpen()) fail(openPath_ + ": port already open");
  number_ = number;
}

void QtSerialPort::setSettings(std::string_view settings) {
  // "baud,parity,data,stop" as in "9600,n,8,1".
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const auto comma = settings.find(',', start);
    parts.push_back(std::string(TrimBlanks(settings.substr(start, comma - start))));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  const std::string bad = "invalid line settings \"" + std::string(settings) + "\"";
  if (parts.size() != 4) fail(bad);

  qint32 baud = 0;
  try {
    std::size_t used = 0;
    baud = std::stoi(parts[0], &used);
    if (used != parts[0].size() || baud <= 0) fail(bad);
  } catch (const std::logic_error&) {
    fail(bad);
  }
  QSerialPort::Parity parity;
  if (parts[1] == "n" || parts[1] == "N")
    parity = QSerialPort::NoParity;
  else if (parts[1] == "e" || parts[1] == "E")
    parity = QSerialPort::EvenParity;
  else if (parts[1] == "o" || parts[1] == "O")
    parity = QSerialPort::OddParity;
  else if (parts[1] == "m" || parts[1] == "M")
    parity = QSerialPort::MarkParity;
  else if (parts[1] == "s" || parts[1] == "S")
    parity = QSerialPort::SpaceParity;
  else
    fail(bad);
  QSerialPort::DataBits data;
  if (parts[2] == "5")
    data = QSerialPort::Data5;
  else if (parts[2] == "6")
    data = QSerialPort::Data6;
  else if (parts[2] == "7")
    data = QSerialPort::Data7;
  else if (parts[2] == "8")
    data = QSerialPort::Data8;
  else
    fail(bad);
  QSerialPort::StopBits stop;
  if (parts[3] == "1")
    stop = QSerialPort::OneStop;
  else if (parts[3] == "1.5")
    stop = QSerialPort::OneAndHalfStop;
  else if (parts[3] == "2")
    stop = QSerialPort::TwoStop;
  else
    fail(bad);

  baud_ = baud;
  parity_ = parity;
  dataBits_ = data;
  stopBits_ = stop;
  if (isOpen()) applyLineSettings();
}

void QtSerialPort::applyLineSettings() {
  // A pseudo-terminal ignores the rate; failures to set a line property are left to
  // show up as missing data rather than refusing a device that otherwise works.
  serial_.setBaudRate(baud_);
  serial_.setParity(parity_);
  serial_.setDataBits(dataBits_);
  serial_.setStopBits(stopBits_);
  serial_.setFlowControl(QSerialPort::NoFlowControl);
}

// QSerialPort is always binary; the operation exists for the port interface.
void QtSerialPort::setBinaryInput() {}

void QtSerialPort::setReceiveThreshold(int bytes) {
  if (bytes < 0) fail("invalid receive threshold " + std::to_string(bytes));
  threshold_ = bytes;
}

void QtSerialPort::setReadLength(int bytes) {
  if (bytes < 0) fail("invalid read length " + std::to_string(bytes));
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
  if (isOpen()) fail(openPath_ + ": port already open");
  if (serial_.isOpen()) serial_.close();  // a lost device not yet shut down

  const std::string path = devicePath();
  if (path.empty())
    fail("COM" + std::to_string(number_) + ": no serial device for port number " + std::to_string(number_));

  serial_.setPortName(QString::fromStdString(path));
  applyLineSettings();
  lost_ = false;
  lastEventData_ = false;
  failedReads_ = 0;
  if (!serial_.open(QIODevice::ReadWrite)) {
    const std::string reason = ReasonOf(serial_);
    serial_.clearError();
    fail(path + ": " + reason);
  }
  serial_.clearError();
  openPath_ = path;
  lastError_.clear();
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
  if (!isOpen()) fail((openPath_.empty() ? devicePath() : openPath_) + ": port not open");
  const auto written =
      serial_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  if (written != static_cast<qint64>(bytes.size())) fail(openPath_ + ": " + ReasonOf(serial_));
  // Hand the block to the device now rather than at the next turn of the event loop,
  // so that a command written just before exit still leaves.
  serial_.flush();
}

std::vector<std::uint8_t> QtSerialPort::readAll() {
  if (!isOpen()) fail((openPath_.empty() ? devicePath() : openPath_) + ": port not open");
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
      {
        // A hung-up device often leaves errno from an earlier modem-line ioctl; such a
        // reason would only mislead.
        const std::string detail = ReasonOf(serial_);
        lastError_ = openPath_ + ": device disconnected";
        if (detail.find("ioctl") == std::string::npos) lastError_ += " (" + detail + ")";
      }
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
      if (serial_.isOpen()) lastError_ = openPath_ + ": " + ReasonOf(serial_);
      return;
  }
}

}  // namespace pv
