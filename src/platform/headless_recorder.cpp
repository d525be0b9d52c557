#include "platform/headless_recorder.h"

#include <array>
#include <ctime>

#include "chart/acquisition.h"
#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/run_files.h"
#include "frame/commands.h"
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

}  // namespace

HeadlessRecorder::HeadlessRecorder(RecordOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_model(std::make_unique<AppModel>()) {
  m_model->frame.initialise(kRecordPort);
  m_port = std::make_unique<QtSerialPort>([path = m_options.devicePath](int) { return path; });
  connect(m_port.get(), &QtSerialPort::dataReceived, this, &HeadlessRecorder::onReceive);
  connect(m_port.get(), &QtSerialPort::portLost, this,
          [this](const QString& reason) { m_lossReason = reason.toStdString(); });

  // The same timers as the chart view's timer 1 (sample commit) and timer 2 (watchdog).
  m_sampleTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_sampleTimer, &QTimer::timeout, this, &HeadlessRecorder::onSampleTick);
  m_watchdogTimer.setSingleShot(true);
  connect(&m_watchdogTimer, &QTimer::timeout, this, &HeadlessRecorder::onWatchdogTick);
  m_deadline.setSingleShot(true);
  m_deadline.setTimerType(Qt::PreciseTimer);
  connect(&m_deadline, &QTimer::timeout, this, [this] { finish(StopReason::Duration); });
}

HeadlessRecorder::~HeadlessRecorder() {
  // The port goes before the model its notifications would write into.
  m_port.reset();
}

bool HeadlessRecorder::start() {
  m_portError = StartupPortSteps(*m_model, *m_port);
  if (!m_port->isOpen()) {
    if (m_portError.empty()) m_portError = m_options.devicePath + ": cannot open the port";
    m_reason = StopReason::PortFailed;
    return false;
  }
  m_watchdogTimer.start(kWatchdogFirstMs);
  return true;
}

void HeadlessRecorder::requestStop(StopReason reason) {
  finish(reason);
}

int HeadlessRecorder::samples() const {
  return m_runStarted ? m_model->view.m_nSample : 0;
}

qint64 HeadlessRecorder::runElapsedMs() const {
  return m_runStarted ? m_runClock.elapsed() : 0;
}

void HeadlessRecorder::onReceive() {
  if (isFinished()) return;
  OnReceiveNotification(*m_model, *m_port, std::time(nullptr), NullObserver());
  if (!m_runRequested) {
    // Run is offered once the meter answers; the window's user chooses it then.
    if (m_model->view.m_bMonitoring) beginRun();
    return;
  }
  if (!m_runStarted && !m_model->frame.m_bRunRequested) {
    m_runStarted = true;
    m_runClock.start();
    emit runBegan();
  }
  // Ingestion ends the run by itself when the store is full.
  if (m_runStarted && !m_model->frame.m_bRunning && m_model->view.m_nSample >= kMaxSamples)
    finish(StopReason::StoreFull);
}

void HeadlessRecorder::beginRun() {
  m_runRequested = true;
  ConfirmRun(*m_model, m_options.intervalSeconds, NullObserver());
  // A failed RUN shows as silence, which the watchdog reports.
  FinishRunCommand(*m_model, *m_port, NullObserver());
  // The window arms the sample timer at the paint that follows Run; with nothing to
  // paint, it is armed here.
  m_model->view.m_bStartTimerPending = false;
  m_sampleTimer.start(m_model->view.m_nSampleIntervalMs);
  if (m_options.durationMs > 0) m_deadline.start(m_options.durationMs + kDeadlineGraceMs);
}

void HeadlessRecorder::onSampleTick() {
  if (isFinished()) return;
  const bool committed = CommitTick(*m_model, false, NullObserver());
  // Before the run's first reading a tick may commit into a store the run start then
  // resets; such a sample is not one of the run's.
  if (!committed || !m_runStarted) return;
  emit sampleCommitted(samples());
  if (isFinished()) return;
  // Ingestion would stop the run at the next reading; stopping here does not depend
  // on the meter sending one.
  if (StopIfStoreFull(*m_model, NullObserver())) {
    finish(StopReason::StoreFull);
  } else if (m_options.maxSamples > 0 && samples() >= m_options.maxSamples) {
    finish(StopReason::SampleCount);
  }
}

void HeadlessRecorder::onWatchdogTick() {
  if (isFinished()) return;
  // Giving up on a meter that never answered: the tick would only reopen the port and
  // greet it once more just before the goodbye.
  if (!m_runRequested && LinkSilent(m_model->frame) &&
      m_lostTicksWaiting + 1 >= m_options.lostTicksBeforeGivingUp) {
    finish(StopReason::NoReading);
    return;
  }
  std::string error;
  if (WatchdogTick(*m_model, *m_port, NullObserver(), &error)) {
    // The watchdog has ended the run; a new one would need Run again.
    if (m_runRequested) {
      finish(StopReason::LinkLost);
      return;
    }
    ++m_lostTicksWaiting;
  }
  m_watchdogTimer.start(kWatchdogPeriodMs);
}

void HeadlessRecorder::finish(StopReason reason) {
  if (isFinished()) return;
  m_reason = reason;
  m_sampleTimer.stop();
  m_watchdogTimer.stop();
  m_deadline.stop();
  if (m_model->frame.m_bRunning) Stop(*m_model, NullObserver());
  if (m_runStarted) save();
  // As closing the window does: EXIT three times, DISCONNECT six times.
  CloseSequencePortSteps(*m_port);
  emit finished(reason);
}

void HeadlessRecorder::save() {
  // Save is unavailable in the window while the run holds no sample.
  if (m_options.outPath.empty() || samples() == 0) return;
  FileStatus status = Succeeded();
  if (m_options.writeTextTable) {
    status = SaveRun(*m_model, m_options.outPath);
  } else {
    const std::vector<std::uint8_t> data = EncodeDataLoggerFile(*m_model);
    const std::array<FileToWrite, 1> files{FileToWrite(m_options.outPath, std::span(data))};
    status = SaveFilesAtomically(files);
  }
  m_saved = status.ok();
  if (!status) m_saveError = status.error().message;
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
