// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's serial port on a real device, built on QSerialPort. It only moves
// bytes: 9600 8N1 binary, a notification once a whole frame's worth is waiting, and
// every failure as a PortError of its kind carrying the device path and the system's
// reason.
#include <QObject>
#include <QSerialPort>
#include <functional>
#include <string>

#include "link/serial_port.h"

namespace pv {

class QtSerialPort : public QObject, public SerialPort {
  Q_OBJECT

 public:
  // Port number -> device path. An empty path means the number has no device.
  using PathResolver = std::function<std::string(int)>;

  // Resolves numbers through the user's configuration file (ConfiguredPortPath).
  explicit QtSerialPort(QObject* parent = nullptr);
  explicit QtSerialPort(PathResolver resolver, QObject* parent = nullptr);
  ~QtSerialPort() override;

  // SerialPort
  void selectPort(int number) override;  // refused while open
  void setLineSettings(const LineSettings& settings) override;  // refuses what QSerialPort cannot do
  void setReceiveThreshold(int bytes) override;  // 0 turns the notification off
  void setReadLength(int bytes) override;
  void discardInput() override;
  void open() override;
  void close() override;
  bool isOpen() const override;
  void write(std::span<const std::uint8_t> bytes) override;
  std::vector<std::uint8_t> readAll() override;
  bool lastEventIsDataReceived() const override;
  PortErrorKind lastFailure() const override { return lastFailure_; }

  int portNumber() const { return number_; }
  // Uses this path instead of the selected number's for as long as it is set (for
  // --device and --demo); an empty path returns to the number's path.
  void setDevicePathOverride(std::string path);
  // The device the next open uses.
  std::string devicePath() const;
  // Why the last open failed or the open port was lost; empty after a good open.
  const std::string& lastError() const { return lastError_; }
  qint64 bytesWaiting() const;

 signals:
  // At least the receive threshold of bytes is waiting to be read.
  void dataReceived();
  // The open device failed (unplugged, hung up); the port has been closed.
  void portLost(const QString& reason);

 private:
  void onReadyRead();
  void onError(QSerialPort::SerialPortError error);
  void applyLineSettings();
  [[noreturn]] void fail(PortErrorKind kind, const std::string& reason);

  QSerialPort serial_{this};
  PathResolver resolver_;
  std::string override_;
  std::string openPath_;
  std::string lastError_;
  PortErrorKind lastFailure_ = PortErrorKind::None;
  int number_ = 1;
  int threshold_ = 11;
  int readLength_ = 0;
  LineSettings line_ = kLineSettings;
  bool lastEventData_ = false;
  // Set when the device failed under us; the port then counts as closed even while
  // the QSerialPort is still being shut down.
  bool lost_ = false;
  int openCount_ = 0;  // tells a stale loss report from one about the current open
  int failedReads_ = 0;  // read errors on a line still up since data last came
};

}  // namespace pv
