// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated meter behind a pseudo-terminal: the program opens the slave side as
// its serial device, and this side streams frames and obeys commands like the meter.
// Faults (error frames, garbage, split and joined frames, silence, unplugging) can be
// injected for tests and demonstrations.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "sim/meter_model.h"

class QSocketNotifier;

namespace pv {

class PtyMeter : public QObject {
  Q_OBJECT

 public:
  // 9600 baud carries at most 9600 / 10 / 11 frames a second.
  static constexpr double kMaxFramesPerSecond = 87.0;
  static constexpr double kDefaultFramesPerSecond = 2.0;

  // linkPath: a symbolic link kept pointing at the current slave, so the device keeps
  // one name across unplug and plug-in. Empty for none.
  explicit PtyMeter(std::string linkPath = {}, QObject* parent = nullptr);
  ~PtyMeter() override;

  // Creates the pseudo-terminal and starts streaming. False (see errorString) when the
  // system refuses.
  bool start();
  const std::string& errorString() const { return error_; }

  void setFramesPerSecond(double rate);  // clamped to (0, kMaxFramesPerSecond]
  double framesPerSecond() const { return rate_; }

  // The symbolic link when there is one, else the slave's own path.
  std::string devicePath() const;
  const std::string& slavePath() const { return slavePath_; }
  bool isPlugged() const { return master_ >= 0; }
  // True while some program has the slave side open.
  bool slaveConnected() const;

  MeterModel& model() { return model_; }
  const MeterModel& model() const { return model_; }
  // Seconds since start(), the time the model is driven with.
  double now() const;

  // Fault injection and direct sending; each is one write unless said otherwise.
  void sendFrame();         // the next reading now, outside the stream
  void injectError(int n);  // ERR1..ERR4 frame
  void injectGarbage(const QByteArray& bytes);
  void sendSplitFrame(int gapMs = 30);  // one reading over two writes, the stream held between
  void sendJoinedFrames();              // two readings in one write
  void silence(int ms);                 // stream nothing for a while
  void unplug();                        // the device disappears
  bool plugIn();                        // a new device at the same link path

  // Writes raw bytes to the program; dropped when nobody has the slave open.
  void writeBytes(const QByteArray& bytes);

 signals:
  void commandReceived(int code);
  void frameSent();

 private:
  bool openPty();
  void closePty();
  void onMasterReadable();
  void onStreamTick();
  void pollForSlave();
  QByteArray nextFrameBytes();

  std::string linkPath_;
  std::string slavePath_;
  std::string error_;
  int master_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  QTimer stream_;
  QTimer slaveWatch_;  // while no slave is open the master cannot be read
  double rate_ = kDefaultFramesPerSecond;
  qint64 silentUntilMs_ = 0;
  int splitsPending_ = 0;  // split frames whose second half is still to be written
  QElapsedTimer clock_;
  MeterModel model_;
};

}  // namespace pv
