// SPDX-License-Identifier: GPL-3.0-or-later
#include "headless_recorder.h"

#include <variant>

#include "files/run_files.h"

namespace pv {
namespace {

// The device stands for one port number; 1 is a menu port, so the watchdog's first
// tick already checks it, as it does for the window's default port.
constexpr int kRecordPort = 1;

// The duration's end waits this much longer so that a sample due exactly at the end
// (duration 10 s at 1 s: the tenth) is still taken rather than racing the deadline.
constexpr int kDeadlineGraceMs = 250;

}  // namespace

HeadlessRecorder::HeadlessRecorder(RecordOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), model_(std::make_unique<AppModel>()) {
  model_->flags.initialise(kRecordPort);
  port_ = std::make_unique<QtSerialPort>([path = options_.devicePath](int) { return path; });
  if (!options_.journalFolder.empty()) journal_ = std::make_unique<RunJournal>(options_.journalFolder);
  ModelObserver& observer = *this;
  driver_ = std::make_unique<SessionDriver>(*model_, *port_, port_.get(), observer, journal_.get());
  driver_->giveUpAfterSilentTicks(options_.lostTicksBeforeGivingUp);
  connect(driver_.get(), &SessionDriver::received, this, &HeadlessRecorder::onReceived);
  connect(driver_.get(), &SessionDriver::sampleTicked, this, &HeadlessRecorder::onSampleTicked);
  connect(driver_.get(), &SessionDriver::watchdogTicked, this, &HeadlessRecorder::onWatchdogTicked);
  deadline_.setSingleShot(true);
  deadline_.setTimerType(Qt::PreciseTimer);
  connect(&deadline_, &QTimer::timeout, this, [this] { finish(StopReason::Duration); });
}

HeadlessRecorder::~HeadlessRecorder() {
  // The port's notifications go before the session they would reach.
  driver_.reset();
  port_.reset();
}

bool HeadlessRecorder::start() {
  portError_ = driver_->session().greet();
  if (!port_->isOpen()) {
    if (portError_.empty()) portError_ = options_.devicePath + ": cannot open the port";
    reason_ = StopReason::PortFailed;
    return false;
  }
  driver_->session().watchLink();
  if (!options_.startRun && options_.durationMs > 0) deadline_.start(options_.durationMs);
  return true;
}

void HeadlessRecorder::requestStop(StopReason reason) {
  finish(reason);
}

void HeadlessRecorder::onReceived(const Decoded& frame) {
  if (isFinished()) return;
  if (!options_.startRun) {
    if (std::holds_alternative<std::monostate>(frame)) return;
    lastFrame_ = frame;
    emit frameReceived();
    return;
  }
  if (!std::holds_alternative<std::monostate>(frame) && driver_->session().phase() != RunPhase::Monitoring) {
    lastFrame_ = frame;
    emit frameReceived();
  }
  // Run is offered once the meter answers; the window's user chooses it then. The
  // recorder has no run on show before its one run, so nothing is asked.
  if (driver_->session().phase() == RunPhase::Monitoring) {
    // A failed RUN shows as silence, which the watchdog reports.
    driver_->session().run(*this);
    if (options_.durationMs > 0) deadline_.start(options_.durationMs + kDeadlineGraceMs);
  }
}

void HeadlessRecorder::runStarted() {
  runClock_.start();
  emit runBegan();
}

void HeadlessRecorder::runNotJournaled(const std::string& why) {
  emit notJournaled(QString::fromStdString(why));
}

void HeadlessRecorder::onSampleTicked(bool committed) {
  if (isFinished()) return;
  if (committed) emit sampleCommitted(samples());
  if (isFinished()) return;
  // The commit that fills the store has ended the run.
  if (samples() >= kMaxSamples && driver_->session().phase() != RunPhase::Running) {
    finish(StopReason::StoreFull);
  } else if (options_.maxSamples > 0 && samples() >= options_.maxSamples) {
    finish(StopReason::SampleCount);
  }
}

void HeadlessRecorder::onWatchdogTicked(const WatchdogOutcome& outcome) {
  if (isFinished()) return;
  if (outcome.gaveUp) {
    finish(StopReason::NoReading);
  } else if (outcome.lost && driver_->session().answered()) {
    // The watchdog has ended the run (a new one would need Run again) or the stream.
    finish(StopReason::LinkLost);
  }
}

void HeadlessRecorder::finish(StopReason reason) {
  if (isFinished()) return;
  reason_ = reason;
  deadline_.stop();
  // Stop, the files written as Save writes them, and the goodbye (EXIT, DISCONNECT).
  driver_->session().finish(*this);
  emit finished(reason);
}

bool HeadlessRecorder::saveRun() {
  if (options_.outPath.empty()) return false;
  const FileStatus status = SaveRunFiles(*model_, options_.outPath, options_.writeTextTable);
  saved_ = status.ok();
  if (!status) saveError_ = status.error().message;
  return saved_;
}

QString DescribeStop(StopReason reason) {
  switch (reason) {
    case StopReason::None:
      return QStringLiteral("still recording");
    case StopReason::SampleCount:
      return QStringLiteral("the requested samples were taken");
    case StopReason::Duration:
      return QStringLiteral("the requested duration elapsed");
    case StopReason::Interrupted:
      return QStringLiteral("stopped on request");
    case StopReason::StoreFull:
      return QStringLiteral("the store is full (%1 samples)").arg(kMaxSamples);
    case StopReason::LinkLost:
      return QStringLiteral("the meter stopped answering");
    case StopReason::NoReading:
      return QStringLiteral("the meter sent no reading");
    case StopReason::PortFailed:
      return QStringLiteral("the port could not be opened");
  }
  return {};
}

}  // namespace pv
