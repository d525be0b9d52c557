// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An acquisition run without the window: the meter session the window drives, with
// the sample-rate dialog answered from the options and Save writing the files given.
// Used by `pneuvista-cli record` and `monitor`.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "app_model.h"
#include "driver/session_driver.h"
#include "files/run_journal.h"
#include "link/frame.h"
#include "platform/qt_serial_port.h"

namespace pv {

struct RecordOptions {
  std::string devicePath;
  int intervalSeconds = 1;     // as typed in the sample-rate dialog: below 1 counts as 1
  int maxSamples = 0;          // stop after this many committed samples; 0: no limit
  int durationMs = 0;          // stop this long after Run; 0: no limit
  std::string outPath;         // the data file; empty writes nothing
  bool writeTextTable = true;  // the text table beside the data file, as Save writes it
  // Lost-link ticks of the watchdog without any reading before giving up. The first
  // comes 3 s after start-up, each further one 5 s later, and each reopens the port
  // and greets the meter again, so 2 gives the meter a second chance at 8 s.
  int lostTicksBeforeGivingUp = 2;
  // False only greets the meter and passes each frame on (frameReceived) without a run:
  // no samples, no files, no journal. The watchdog then ends at the first silence after
  // a frame, and the duration counts from start().
  bool startRun = true;
  // The folder of the run's journal, which outlives a kill or a power cut until the run
  // is saved; empty keeps no journal.
  std::string journalFolder;
};

enum class StopReason {
  None,         // still recording
  SampleCount,  // the requested number of samples was committed
  Duration,     // the requested time elapsed
  Interrupted,  // requestStop(): Ctrl+C, SIGTERM or the caller
  StoreFull,    // the store holds its 17278 samples
  LinkLost,     // the meter fell silent during the run
  NoReading,    // the meter never sent a reading, so no run was started
  PortFailed,   // the port could not be opened at start-up
};

class HeadlessRecorder : public QObject, private ModelObserver, private SessionPrompts {
  Q_OBJECT

 public:
  explicit HeadlessRecorder(RecordOptions options, QObject* parent = nullptr);
  ~HeadlessRecorder() override;

  // Sets the port up and greets the meter. False when the port cannot be opened:
  // stopReason() is then PortFailed and portError() says why; nothing was written.
  bool start();

  // Ends the recording now (saving what was committed), as Stop and closing the window
  // would. Does nothing once finished.
  void requestStop(StopReason reason = StopReason::Interrupted);

  bool isFinished() const { return reason_ != StopReason::None; }
  StopReason stopReason() const { return reason_; }
  // The run started (its first reading after Run arrived).
  bool hasRun() const { return runClock_.isValid(); }
  int samples() const { return model_->store.sampleCount; }
  // Milliseconds since the run started (the first reading after Run); 0 before.
  qint64 runElapsedMs() const { return hasRun() ? runClock_.elapsed() : 0; }
  const std::string& portError() const { return portError_; }
  // Whether the files were written on finishing, and why not when they failed.
  bool saved() const { return saved_; }
  const std::string& saveError() const { return saveError_; }
  const RecordOptions& options() const { return options_; }

  // The frame of the last frameReceived.
  const Decoded& lastFrame() const { return lastFrame_; }

  const AppModel& model() const { return *model_; }
  QtSerialPort& port() { return *port_; }

 signals:
  // The first reading after Run arrived: the run started, its sample 0 is due.
  void runBegan();
  void sampleCommitted(int count);
  // A reading or error frame arrived and was ingested: every one without a run
  // (startRun false), those after Run during one.
  void frameReceived();
  // The recording ended; files are written and the meter has been told goodbye.
  void finished(pv::StopReason reason);
  // The run's journal stopped working (said once); the run goes on in memory.
  void notJournaled(const QString& why);

 private:
  void onReceived(const Decoded& frame);
  void onSampleTicked(bool committed);
  void onWatchdogTicked(const WatchdogOutcome& outcome);
  void finish(StopReason reason);

  // ModelObserver
  void runStarted() override;
  void runNotJournaled(const std::string& why) override;
  // SessionPrompts: no run is on show before the recorder's one run, so nothing is
  // asked; the interval is the option; Save writes the files.
  SaveAnswer askToSave(SaveQuestion) override { return SaveAnswer::Save; }
  bool saveRun() override;
  std::optional<int> askInterval(int) override { return options_.intervalSeconds; }

  RecordOptions options_;
  std::unique_ptr<AppModel> model_;
  std::unique_ptr<QtSerialPort> port_;
  std::unique_ptr<RunJournal> journal_;
  std::unique_ptr<SessionDriver> driver_;
  QTimer deadline_;
  QElapsedTimer runClock_;
  StopReason reason_ = StopReason::None;
  Decoded lastFrame_;
  bool saved_ = false;
  std::string portError_;
  std::string saveError_;
};

// A few words for a person: "5 samples taken", "the meter stopped answering", ...
QString DescribeStop(StopReason reason);

}  // namespace pv
