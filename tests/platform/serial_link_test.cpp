// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt serial port and the simulated meter talking over a real pseudo-terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "link/frame.h"
#include "link/link.h"
#include "platform/meter_probe.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"

namespace pv {
namespace {

// Every wait ends on its condition; the limit only keeps a broken link from hanging.
constexpr int kWaitMs = 10000;

QByteArray Bytes(const MeterFrame& f) {
  return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

// A meter on a pseudo-terminal and a port opened on it the way the program does.
class SerialLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    meter.emplace(dir.filePath("meter").toStdString());
    ASSERT_TRUE(meter->start()) << meter->errorString();
    port.setDevicePathOverride(meter->devicePath());
    QObject::connect(&port, &QtSerialPort::dataReceived, [this] { blocks.push_back(port.readAll()); });
    FullSetup(port, 1);
    ASSERT_TRUE(port.isOpen());
  }

  // Waits for n more blocks and returns how many of them decode to readings.
  int readingsIn(std::size_t n) {
    const std::size_t start = blocks.size();
    if (!QTest::qWaitFor([&] { return blocks.size() >= start + n; }, kWaitMs)) return -1;
    int readings = 0;
    for (std::size_t i = start; i < blocks.size(); ++i)
      readings += std::holds_alternative<Reading>(DecodeBlock(blocks[i]));
    return readings;
  }

  // Stops the stream and waits until all it sent has arrived, so that the port's next
  // blocks hold only what the test sends: a marker written after the stream's last
  // frame arrives after it.
  bool quieten() {
    meter->silence(3600 * 1000);
    const std::vector<std::uint8_t> marker(kFrameLength, 0x7E);
    meter->writeBytes(QByteArray(reinterpret_cast<const char*>(marker.data()), kFrameLength));
    const bool arrived = QTest::qWaitFor(
        [&] {
          return !blocks.empty() && blocks.back().size() >= marker.size() &&
                 std::equal(marker.begin(), marker.end(), blocks.back().end() - kFrameLength);
        },
        kWaitMs);
    blocks.clear();
    return arrived;
  }

  QTemporaryDir dir;
  std::optional<PtyMeter> meter;
  QtSerialPort port{[](int) { return std::string(); }};
  std::vector<std::vector<std::uint8_t>> blocks;
};

TEST_F(SerialLink, ReadingsArriveAsWholeDecodableFrames) {
  meter->setFramesPerSecond(40);
  EXPECT_EQ(readingsIn(10), 10);
  for (const auto& b : blocks) EXPECT_GE(b.size(), static_cast<std::size_t>(kFrameLength));
  EXPECT_TRUE(port.lastEventIsDataReceived());
}

TEST_F(SerialLink, CommandsReachTheMeterAndChangeItsFrames) {
  SendCommand(port, Command::Connect, SendPrep::None);
  SendCommand(port, Command::Run, SendPrep::OpenOnly);
  ASSERT_TRUE(QTest::qWaitFor([&] { return meter->model().commandLog().size() >= 6; }, kWaitMs));
  EXPECT_EQ(meter->model().commandRuns(), (std::vector<CommandRun>{{0x01, 3}, {0x11, 3}}));

  SendCommand(port, Command::Hold, SendPrep::Key);
  SendCommand(port, Command::Rec, SendPrep::Key);
  ASSERT_TRUE(QTest::qWaitFor([&] { return meter->model().rec() != 0 && meter->model().hold(); }, kWaitMs));
  // Frames sent before the meter obeyed may still be on their way; the first one sent
  // after carries HOLD and REC.
  meter->setFramesPerSecond(40);
  auto holdAndRec = [](const std::vector<std::uint8_t>& block) {
    const Decoded d = DecodeBlock(block);
    return std::holds_alternative<Reading>(d) && std::get<Reading>(d).mode() == kStatusHold &&
           std::get<Reading>(d).recording();
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return !blocks.empty() && holdAndRec(blocks.back()); }, kWaitMs));
}

TEST_F(SerialLink, ASplitFrameIsAnnouncedOnlyOnceWhole) {
  ASSERT_TRUE(quieten());
  QSignalSpy spy(&port, &QtSerialPort::dataReceived);
  MeterFrame frame;
  ASSERT_TRUE(meter->model().nextFrame(meter->now(), frame));
  const QByteArray bytes = Bytes(frame);
  meter->writeBytes(bytes.left(5));
  // The port announces as it reads: by the time it holds the first half it has kept quiet.
  ASSERT_TRUE(QTest::qWaitFor([&] { return port.bytesWaiting() == 5 || spy.count() > 0; }, kWaitMs));
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(port.bytesWaiting(), 5);
  meter->writeBytes(bytes.mid(5));
  ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, kWaitMs));
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0], std::vector<std::uint8_t>(frame.begin(), frame.end()));
}

TEST_F(SerialLink, InjectedFaultsArriveAsTheMeterWouldSendThem) {
  ASSERT_TRUE(quieten());
  auto received = [&] {
    std::size_t n = 0;
    for (const auto& b : blocks) n += b.size();
    return n;
  };
  meter->sendJoinedFrames();
  ASSERT_TRUE(QTest::qWaitFor([&] { return received() >= 2u * kFrameLength; }, kWaitMs));
  EXPECT_EQ(received(), 2u * kFrameLength);
  EXPECT_TRUE(std::holds_alternative<Reading>(DecodeBlock(blocks[0])));

  for (int n = 1; n <= 4; ++n) {
    blocks.clear();
    meter->injectError(n);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !blocks.empty(); }, kWaitMs));
    const Decoded d = DecodeBlock(blocks[0]);
    ASSERT_TRUE(std::holds_alternative<MeterError>(d));
    EXPECT_EQ(std::get<MeterError>(d).number(), n);
  }

  blocks.clear();
  meter->injectGarbage(QByteArray("\x56\x03\x00\xff garbage!", 14));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !blocks.empty(); }, kWaitMs));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(DecodeBlock(blocks[0])));
}

TEST_F(SerialLink, UnpluggedMeterIsReportedAndThePortReopensWhenItReturns) {
  meter->setFramesPerSecond(40);
  ASSERT_EQ(readingsIn(2), 2);
  const std::string path = meter->devicePath();

  QSignalSpy lost(&port, &QtSerialPort::portLost);
  meter->unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() == 1; }, kWaitMs));
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.lastError().rfind(path + ": device disconnected", 0), 0u) << port.lastError();
  EXPECT_EQ(port.lastFailure(), PortErrorKind::Gone);
  EXPECT_EQ(lost.at(0).at(0).toString().toStdString(), port.lastError());
  EXPECT_THROW(port.write(CommandFrame(Command::Connect)), PortError);
  EXPECT_THROW(port.readAll(), PortError);

  // While the device is away, reopening fails with a reason that names it.
  CloseIfOpen(port);
  try {
    ReopenAndConnect(port, 1);
    ADD_FAILURE() << "opened a device that is not there";
  } catch (const PortError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }

  ASSERT_TRUE(meter->plugIn());
  EXPECT_EQ(meter->devicePath(), path);
  meter->model().clearCommandLog();
  ReopenAndConnect(port, 1);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(readingsIn(3), 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return meter->model().commandCount(Command::Connect) == 3; }, kWaitMs));
}

// The port's read notification can come when the input it announced is gone by the
// time it is read; QSerialPort then reports a read error. The line has not hung up:
// the device is still there and its next frames are read as before.
TEST_F(SerialLink, AWakeUpWithNothingToReadLeavesThePortOpen) {
  ASSERT_TRUE(quieten());
  QSignalSpy lost(&port, &QtSerialPort::portLost);
  int notified = 0;
  for (QSocketNotifier* n : port.findChildren<QSocketNotifier*>()) {
    if (n->type() != QSocketNotifier::Read || !n->isEnabled()) continue;
    QEvent activated(QEvent::SockAct);
    QCoreApplication::sendEvent(n, &activated);
    ++notified;
  }
  ASSERT_EQ(notified, 1);
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(lost.count(), 0);
  meter->sendFrame();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !blocks.empty(); }, kWaitMs));
  EXPECT_TRUE(std::holds_alternative<Reading>(DecodeBlock(blocks[0])));
  EXPECT_EQ(lost.count(), 0);
}

TEST(SerialPortErrors, OpeningFailsWithTheDeviceAndTheReason) {
  // A path of this test's own: Qt locks a device by its path in a folder every process
  // on the machine shares, so a fixed name is busy while another run of this test
  // tries it.
  QTemporaryDir dir;
  const std::string missing = dir.filePath(QStringLiteral("ttyUSB8")).toStdString();
  QtSerialPort port([&](int n) { return n == 9 ? missing : std::string(); });
  struct Case {
    int number;
    std::string mentions;
  } cases[] = {{9, missing + ": No such file or directory"}, {0, "COM0"}};  // both NotFound
  for (const auto& c : cases) {
    port.selectPort(c.number);
    try {
      port.open();
      ADD_FAILURE() << "opened port " << c.number;
    } catch (const PortError& e) {
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
      EXPECT_EQ(e.kind(), PortErrorKind::NotFound);
      EXPECT_EQ(port.lastError(), e.what());
      EXPECT_EQ(port.lastFailure(), PortErrorKind::NotFound);
    }
    EXPECT_FALSE(port.isOpen());
  }
}

TEST(SerialPortErrors, ABusyPortAndMisuseAreRefused) {
  QTemporaryDir dir;
  PtyMeter meter;
  ASSERT_TRUE(meter.start());
  const auto resolver = [&](int) { return meter.devicePath(); };
  QtSerialPort first(resolver), second(resolver);
  first.open();
  const auto kindOf = [](const std::function<void()>& step) {
    try {
      step();
    } catch (const PortError& e) {
      return e.kind();
    }
    return PortErrorKind::None;
  };
  const std::pair<std::function<void()>, PortErrorKind> refusals[] = {
      {[&] { second.open(); }, PortErrorKind::Busy},  // held exclusively by the first
      {[&] { first.open(); }, PortErrorKind::AlreadyOpen},
      {[&] { first.selectPort(2); }, PortErrorKind::AlreadyOpen},
      {[&] { first.setLineSettings({9600, 9, Parity::None, 1}); }, PortErrorKind::Invalid},
      {[&] { first.setLineSettings({0, 8, Parity::None, 1}); }, PortErrorKind::Invalid},
      {[&] { first.setReceiveThreshold(-1); }, PortErrorKind::Invalid},
  };
  for (const auto& [step, kind] : refusals) EXPECT_EQ(kindOf(step), kind);
  EXPECT_NE(second.lastError().find(meter.devicePath() + ": in use by another program"), std::string::npos)
      << second.lastError();
  first.setLineSettings(kLineSettings);
  first.close();
  EXPECT_NO_THROW(second.open());
}

// A meter held through a link (a /dev/serial/by-id name) is busy under its real name
// and the other way round: a port is one port whatever its name.
TEST(SerialPortErrors, APortIsOnePortWhateverItsName) {
  QTemporaryDir dir;
  PtyMeter meter;
  ASSERT_TRUE(meter.start());
  const std::string link = dir.filePath(QStringLiteral("usb-Meter-if00")).toStdString();
  std::filesystem::create_symlink(meter.devicePath(), link);
  const std::pair<std::string, std::string> holderAndOther[] = {{link, meter.devicePath()},
                                                                {meter.devicePath(), link}};
  for (const auto& [held, other] : holderAndOther) {
    QtSerialPort holder([&](int) { return held; }), second([&](int) { return other; });
    holder.open();
    EXPECT_TRUE(DeviceBusy(other)) << other;
    EXPECT_THROW(second.open(), PortError) << other;
    EXPECT_NE(second.lastError().find(other + ": in use by another program"), std::string::npos)
        << second.lastError();
  }
}

}  // namespace
}  // namespace pv
