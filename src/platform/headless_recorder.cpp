#include "platform/headless_recorder.h"

#include <ctime>
#include <variant>

#include "chart/acquisition.h"
#include "files/run_files.h"
#include "link/port_commands.h"
#include "link/ingest.h"
#include "link/watchdog.h"
#include "model_observer.h"

namespace pv {
namespace {

// The device stands for one port number; 1 is a menu port, so the watchdog's first
// tick already checks it, as it does for the window's default port.
constexpr int kRecordPort = 1;

// The duration's end waits this much longer so that a sample due exactly at the end
// (duration 10 s at 1 s: the tenth) is still taken rather than racing the deadline.
constexpr int kDeadlineGraceMs = 250;

// Run arms the sample timer through the observer, as it arms the window's sample timer;
// the other notifications have no window to reach.
class SampleTimerObserver : public ModelObserver {
 public:
  explicit SampleTimerObserver(QTimer& timer) : timer_(timer) {}
  void armSampleTimer(int periodMs) override {
    if (periodMs > 0)
      timer_.start(periodMs);
    else
      timer_.stop();
  }

 private:
  QTimer& timer_;
};

}  // namespace

HeadlessRecorder::HeadlessRecorder(RecordOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      model_(std::make_unique<AppModel>()),
      runObserver_(std::make_unique<SampleTimerObserver>(sampleTimer_)) {
  model_->flags.initialise(kRecordPort);
  port_ = std::make_unique<QtSerialPort>([path = options_.devicePath](int) { return path; });
  connect(port_.get(), &QtSerialPort::dataReceived, this, &HeadlessRecorder::onReceive);

  // The same timers as the chart view's sample timer and link watchdog.
  sampleTimer_.setTimerType(Qt::PreciseTimer);
  connect(&sampleTimer_, &QTimer::timeout, this, &HeadlessRecorder::onSampleTick);
  linkWatchdog_.setSingleShot(true);
  connect(&linkWatchdog_, &QTimer::timeout, this, &HeadlessRecorder::onWatchdogTick);
  deadline_.setSingleShot(true);
  deadline_.setTimerType(Qt::PreciseTimer);
  connect(&deadline_, &QTimer::timeout, this, [this] { finish(StopReason::Duration); });
  if (!options_.journalFolder.empty()) journal_ = std::make_unique<RunJournal>(options_.journalFolder);
}

HeadlessRecorder::~HeadlessRecorder() {
  // The port goes before the model its notifications would write into.
  port_.reset();
}

bool HeadlessRecorder::start() {
  portError_ = StartupPortSteps(*model_, *port_);
  if (!port_->isOpen()) {
    if (portError_.empty()) portError_ = options_.devicePath + ": cannot open the port";
    reason_ = StopReason::PortFailed;
    return false;
  }
  linkWatchdog_.start(kWatchdogFirstMs);
  if (!options_.startRun && options_.durationMs > 0) deadline_.start(options_.durationMs);
  return true;
}

void HeadlessRecorder::requestStop(StopReason reason) {
  finish(reason);
}

int HeadlessRecorder::samples() const {
  return runStarted_ ? model_->store.sampleCount : 0;
}

qint64 HeadlessRecorder::runElapsedMs() const {
  return runStarted_ ? runClock_.elapsed() : 0;
}

void HeadlessRecorder::onReceive() {
  if (isFinished()) return;
  const Decoded frame = ReadAndIngest(*model_, *port_, std::time(nullptr), NullObserver());
  if (!options_.startRun) {
    passFrameOn(frame);
    return;
  }
  if (!runRequested_) {
    // Run is offered once the meter answers; the window's user chooses it then.
    if (model_->run.monitoring) beginRun();
    return;
  }
  if (!runStarted_ && !model_->flags.runRequested) {
    runStarted_ = true;
    runClock_.start();
    if (journal_) journalSync_.begin(*journal_, *model_);
    emit runBegan();
  }
  // Ingestion ends the run by itself when the store is full.
  if (runStarted_ && !model_->flags.running && model_->store.sampleCount >= kMaxSamples)
    finish(StopReason::StoreFull);
}

void HeadlessRecorder::passFrameOn(const Decoded& frame) {
  if (std::holds_alternative<std::monostate>(frame)) return;
  framesSeen_ = true;
  lastFrame_ = frame;
  emit frameReceived();
}

void HeadlessRecorder::beginRun() {
  runRequested_ = true;
  ConfirmRun(*model_, options_.intervalSeconds, NullObserver());
  // A failed RUN shows as silence, which the watchdog reports. Run arms the sample
  // timer with the confirmed interval.
  FinishRunCommand(*model_, *port_, *runObserver_);
  if (options_.durationMs > 0) deadline_.start(options_.durationMs + kDeadlineGraceMs);
}

void HeadlessRecorder::onSampleTick() {
  if (isFinished()) return;
  const bool committed = CommitTick(*model_, false, NullObserver());
  // Before the run's first reading a tick may commit into a store the run start then
  // resets; such a sample is not one of the run's.
  if (!committed || !runStarted_) return;
  if (journal_) journalSync_.append(*journal_, *model_);
  emit sampleCommitted(samples());
  if (isFinished()) return;
  // Ingestion would stop the run at the next reading; stopping here does not depend
  // on the meter sending one.
  if (StopIfStoreFull(*model_, NullObserver())) {
    finish(StopReason::StoreFull);
  } else if (options_.maxSamples > 0 && samples() >= options_.maxSamples) {
    finish(StopReason::SampleCount);
  }
}

void HeadlessRecorder::onWatchdogTick() {
  if (isFinished()) return;
  const bool answered = runRequested_ || framesSeen_;
  // Giving up on a meter that never answered: the tick would only reopen the port and
  // greet it once more just before the goodbye.
  if (!answered && LinkSilent(model_->flags) &&
      lostTicksWaiting_ + 1 >= options_.lostTicksBeforeGivingUp) {
    finish(StopReason::NoReading);
    return;
  }
  std::string error;
  if (WatchdogTick(*model_, *port_, NullObserver(), &error)) {
    // The watchdog has ended the run (a new one would need Run again) or the stream.
    if (answered) {
      finish(StopReason::LinkLost);
      return;
    }
    ++lostTicksWaiting_;
  }
  linkWatchdog_.start(kWatchdogPeriodMs);
}

void HeadlessRecorder::finish(StopReason reason) {
  if (isFinished()) return;
  reason_ = reason;
  sampleTimer_.stop();
  linkWatchdog_.stop();
  deadline_.stop();
  journalSync_.stop();
  if (model_->flags.running) Stop(*model_, NullObserver());
  if (runStarted_) save();
  // As closing the window does: EXIT three times, DISCONNECT six times.
  CloseSequencePortSteps(*port_);
  emit finished(reason);
}

void HeadlessRecorder::save() {
  // Save is unavailable in the window while the run holds no sample.
  if (samples() == 0 && journal_) journal_->giveUp();
  if (options_.outPath.empty() || samples() == 0) return;
  const FileStatus status = SaveRunFiles(*model_, options_.outPath, options_.writeTextTable);
  saved_ = status.ok();
  if (!status) saveError_ = status.error().message;
  // A failed save keeps the journal: it is then the only copy of the run.
  if (journal_ && saved_) journal_->runSaved(*model_);
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
