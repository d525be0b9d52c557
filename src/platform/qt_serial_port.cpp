#include "platform/qt_serial_port.h"

#include <QMetaObject>
#include <utility>

#include "platform/port_paths.h"

namespace pv {
namespace {

std::string ReasonOf(const QSerialPort& serial) {
  std::string text = serial.errorString().toStdString();
  // Qt locks the device exclusively; failing to take the lock means another program has it.
  if (serial.error() == QSerialPort::PermissionError && text.find("lock") != std::string::npos)
    return "busy / in use by another program (" + text + ")";
  if (!text.empty() && text != "Unknown error" && text != "No error") return text;
  switch (serial.error()) {
    case QSerialPort::DeviceNotFoundError:
      return "No such file or directory";
    case QSerialPort::PermissionError:
      return "Permission denied or busy / in use";
    case QSerialPort::OpenError:
      return "already open";
    case QSerialPort::ResourceError:
      return "device removed or no longer available";
    default:
      return "serial port error " + std::to_string(static_cast<int>(serial.error()));
  }
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QtSerialPort(PathResolver{}, parent) {}

QtSerialPort::QtSerialPort(PathResolver resolver, QObject* parent)
    : QObject(parent), m_resolver(std::move(resolver)) {
  if (!m_resolver) m_resolver = [](int n) { return ConfiguredPortPath(n); };
  connect(&m_serial, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
  connect(&m_serial, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() = default;

void QtSerialPort::fail(const std::string& reason) {
  m_lastError = reason;
  throw PortError(reason);
}

std::string QtSerialPort::devicePath() const {
  return m_override.empty() ? m_resolver(m_number) : m_override;
}

void QtSerialPort::setDevicePathOverride(std::string path) {
  m_override = std::move(path);
}

void QtSerialPort::selectPort(int number) {
  if (isOpen()) fail(m_openPath + ": port already open");
  m_number = number;
}

void QtSerialPort::setSettings(std::string_view settings) {
  // "baud,parity,data,stop" as in "9600,n,8,1".
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const auto comma = settings.find(',', start);
    parts.push_back(Trimmed(settings.substr(start, comma - start)));
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

  m_baud = baud;
  m_parity = parity;
  m_dataBits = data;
  m_stopBits = stop;
  if (isOpen()) applyLineSettings();
}

void QtSerialPort::applyLineSettings() {
  // A pseudo-terminal ignores the rate; failures to set a line property are left to
  // show up as missing data rather than refusing a device that otherwise works.
  m_serial.setBaudRate(m_baud);
  m_serial.setParity(m_parity);
  m_serial.setDataBits(m_dataBits);
  m_serial.setStopBits(m_stopBits);
  m_serial.setFlowControl(QSerialPort::NoFlowControl);
}

// QSerialPort is always binary; the operation exists for the port interface.
void QtSerialPort::setBinaryInput() {}

void QtSerialPort::setReceiveThreshold(int bytes) {
  if (bytes < 0) fail("invalid receive threshold " + std::to_string(bytes));
  m_threshold = bytes;
}

void QtSerialPort::setReadLength(int bytes) {
  if (bytes < 0) fail("invalid read length " + std::to_string(bytes));
  m_readLength = bytes;
}

void QtSerialPort::discardInput() {
  // Nothing waits on a closed port, so this is not an error then (the set-up
  // sequence discards before it opens).
  if (!isOpen()) return;
  m_serial.readAll();
  m_serial.clear(QSerialPort::Input);
}

void QtSerialPort::open() {
  if (isOpen()) fail(m_openPath + ": port already open");
  if (m_serial.isOpen()) m_serial.close();  // a lost device not yet shut down

  const std::string path = devicePath();
  if (path.empty())
    fail("COM" + std::to_string(m_number) + ": no serial device for port number " + std::to_string(m_number));

  m_serial.setPortName(QString::fromStdString(path));
  applyLineSettings();
  m_lost = false;
  m_lastEventData = false;
  if (!m_serial.open(QIODevice::ReadWrite)) {
    const std::string reason = ReasonOf(m_serial);
    m_serial.clearError();
    fail(path + ": " + reason);
  }
  m_serial.clearError();
  m_openPath = path;
  m_lastError.clear();
  ++m_openCount;
}

void QtSerialPort::close() {
  m_lost = false;
  m_lastEventData = false;
  if (m_serial.isOpen()) m_serial.close();
}

bool QtSerialPort::isOpen() const {
  return m_serial.isOpen() && !m_lost;
}

void QtSerialPort::write(std::span<const std::uint8_t> bytes) {
  if (!isOpen()) fail((m_openPath.empty() ? devicePath() : m_openPath) + ": port not open");
  const auto written =
      m_serial.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  if (written != static_cast<qint64>(bytes.size())) fail(m_openPath + ": " + ReasonOf(m_serial));
  // Hand the block to the device now rather than at the next turn of the event loop,
  // so that a command written just before exit still leaves.
  m_serial.flush();
}

std::vector<std::uint8_t> QtSerialPort::readAll() {
  if (!isOpen()) fail((m_openPath.empty() ? devicePath() : m_openPath) + ": port not open");
  const QByteArray data = m_readLength > 0 ? m_serial.read(m_readLength) : m_serial.readAll();
  return {data.begin(), data.end()};
}

bool QtSerialPort::lastEventIsDataReceived() const {
  return m_lastEventData;
}

qint64 QtSerialPort::bytesWaiting() const {
  return isOpen() ? m_serial.bytesAvailable() : 0;
}

void QtSerialPort::onReadyRead() {
  // QSerialPort announces every byte; the program wants to hear of a whole frame.
  if (m_lost || m_threshold == 0 || m_serial.bytesAvailable() < m_threshold) return;
  m_lastEventData = true;
  emit dataReceived();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::NoError:
      return;
    case QSerialPort::UnsupportedOperationError:
      // Modem lines on a pseudo-terminal ("Inappropriate ioctl for device").
      m_serial.clearError();
      return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError: {
      // A serial device has no end of file: a failing read means it is gone. The
      // QSerialPort is closed outside its own signal, then the loss is announced.
      if (m_lost || !m_serial.isOpen()) return;
      m_lost = true;
      m_lastEventData = false;
      {
        // A hung-up device often leaves errno from an earlier modem-line ioctl; such a
        // reason would only mislead.
        const std::string detail = ReasonOf(m_serial);
        m_lastError = m_openPath + ": device disconnected";
        if (detail.find("ioctl") == std::string::npos) m_lastError += " (" + detail + ")";
      }
      const QString reason = QString::fromStdString(m_lastError);
      QMetaObject::invokeMethod(
          this,
          [this, reason, openCount = m_openCount] {
            if (openCount != m_openCount) return;
            if (m_lost && m_serial.isOpen()) m_serial.close();
            m_serial.clearError();
            emit portLost(reason);
          },
          Qt::QueuedConnection);
      return;
    }
    default:
      // Open failures are reported by open() itself, with the path it tried.
      if (m_serial.isOpen()) m_lastError = m_openPath + ": " + ReasonOf(m_serial);
      return;
  }
}

}  // namespace pv
