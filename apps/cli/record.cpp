// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli record: an acquisition run without the window, through the same
// start-up, Run, sample timer, watchdog, Save and close sequence as the window.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "chart/sample_store.h"
#include "cli_command.h"
#include "files/atomic_save.h"
#include "files/run_journal.h"
#include "files/sample_rows.h"
#include "headless_recorder.h"
#include "link/stream_line.h"
#include "platform/quit_signals.h"
#include "publish_options.h"
#include "sim/pty_meter.h"
#include "text_format.h"

namespace pv::cli {
namespace {

// The meter stopped answering during the run, or never sent a reading.
constexpr int kExitNoMeter = 3;

constexpr std::string_view kDetails =
    "The meter is greeted (CONNECT), its first reading awaited, the run started (RUN), and\n"
    "the meter's latest reading kept once every interval.\n"
    "\n"
    "  --device PATH       the meter's serial device, for example /dev/ttyUSB0\n"
    "  --demo              record the built-in simulated meter instead of a device\n"
    "  --interval SECONDS  whole seconds between samples; values below 1 mean 1\n"
    "  --out FILE.KvtDat   the data-logger file written when the run ends\n"
    "  --samples N         stop after N samples\n"
    "  --duration SECONDS  stop this long after the run was started\n"
    "  --no-txt            do not write the text table FILE.txt beside the data file\n"
    PV_CLI_PUBLISH_OPTIONS
    "\n"
    "The run ends after N samples, after the duration, on Ctrl+C, SIGTERM or SIGHUP (the\n"
    "terminal closed), when the store is full (17278 samples), or when the meter stops\n"
    "answering for 5 to 10 seconds. The\n"
    "samples taken are then written (each file is replaced as a whole or not at all) and\n"
    "the meter is sent EXIT and DISCONNECT. A run that holds no sample writes no file.\n"
    "If the meter sends no reading within 8 seconds of start-up, no run is started and no\n"
    "file is written.\n"
    "\n"
    "While standard error is a terminal, one line shows the samples taken, the time since\n"
    "the run started and the last value.\n"
    "\n"
    "While the run goes on, every sample taken is also appended to a journal in\n"
    "$XDG_STATE_HOME/pneuvista (~/.local/state/pneuvista), synced at least once a second; it\n"
    "is removed once the files are written. A run ended by SIGKILL or a power cut can then\n"
    "be written with 'pneuvista-cli recover'. When the journal cannot be written, standard\n"
    "error says so once and the run goes on.\n"
    "\n"
    "exit status: 0 the run ended as asked; 1 the port cannot be opened or the file cannot\n"
    "be written; 2 wrong usage; 3 the meter stopped answering (the samples taken are\n"
    "written) or never sent a reading (nothing is written)\n";

struct RecordArgs {
  std::string device;
  bool demo = false;
  std::optional<int> interval;
  std::string out;
  int samples = 0;
  int durationMs = 0;
  bool textTable = true;
  PublishArgs publish;
};

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

// Returns the problem, empty when the arguments are usable.
std::string ParseRecordArgs(Args args, RecordArgs& r) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    auto value = [&](std::string_view& v) {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    std::string_view v;
    if (std::string problem; ParsePublishArg(args, i, r.publish, &problem)) {
      if (!problem.empty()) return problem;
    } else if (a == "--demo") {
      r.demo = true;
    } else if (a == "--no-txt") {
      r.textTable = false;
    } else if (a == "--device" || a == "--out" || a == "--interval" || a == "--samples" ||
               a == "--duration") {
      if (!value(v)) return std::string(a) + " needs a value";
      if (a == "--device") {
        if (v.empty()) return "--device needs a path";
        r.device = v;
      } else if (a == "--out") {
        if (v.empty()) return "--out needs a file name";
        r.out = v;
      } else if (a == "--interval") {
        int seconds = 0;
        if (!ParseNumber(v, seconds)) return "--interval needs whole seconds, not '" + std::string(v) + "'";
        r.interval = seconds;
      } else if (a == "--samples") {
        if (!ParseNumber(v, r.samples) || r.samples < 1)
          return "--samples needs a positive whole number, not '" + std::string(v) + "'";
      } else {
        double seconds = 0;
        // A QTimer counts milliseconds in an int.
        if (!ParseNumber(v, seconds) || !(seconds > 0) || seconds * 1000 > 2e9)
          return "--duration needs a positive number of seconds, not '" + std::string(v) + "'";
        r.durationMs = std::max(1, static_cast<int>(std::lround(seconds * 1000)));
      }
    } else {
      return "unknown argument '" + std::string(a) + "'";
    }
  }
  if (r.demo && !r.device.empty()) return "--demo and --device exclude each other";
  if (!r.demo && r.device.empty()) return "no meter given (--device PATH or --demo)";
  if (!r.interval) return "no sample interval given (--interval SECONDS)";
  if (r.out.empty()) return "no output file given (--out FILE.KvtDat)";
  return PublishArgsProblem(r.publish);
}

// The data file is written only when the run ends; a folder that cannot take it is
// worth knowing before the meter is even greeted.
std::string OutputProblem(const std::string& out) {
  const auto slash = out.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : out.substr(0, slash);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0)
    return out + ": cannot write into " + folder + ": " + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return out + ": cannot write into " + folder + ": Not a directory";
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return out + ": cannot write into " + folder + ": " + std::strerror(errno);
  if (::stat(out.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return out + ": is a directory";
  return {};
}

// "0:01:05"
std::string Clock(qint64 ms) {
  const qint64 s = ms / 1000;
  return Format("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

// One line on a terminal, rewritten in place.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err) {}

  void show(const std::string& text) {
    std::string line = "\r" + text;
    if (text.size() < width_) line.append(width_ - text.size(), ' ');
    width_ = text.size();
    err_ << line << std::flush;
    shown_ = true;
  }
  // Ends the line so that later messages start on their own.
  void close() {
    if (shown_) err_ << "\n" << std::flush;
    shown_ = false;
  }

 private:
  std::ostream& err_;
  std::size_t width_ = 0;
  bool shown_ = false;
};

std::string ProgressText(const HeadlessRecorder& recorder) {
  const int n = recorder.samples();
  std::string text = Format("%d sample%s  %s", n, n == 1 ? "" : "s", Clock(recorder.runElapsedMs()).c_str());
  if (n > 0) {
    const SampleRow last = LiveRunRows(recorder.model()).row(n - 1);
    if (last.errorKind != 0) {
      text += last.errorKind == 1 ? "  ERR1" : "  ERR2";
    } else {
      text += "  " + FormatSigned6Cut(last.value) + " " + std::string(last.unitName);
    }
  }
  return text;
}

// The outcome once the event loop ended: the summary line, the messages and the exit status.
int Report(const HeadlessRecorder& recorder, const RecordArgs& r, std::ostream& out, std::ostream& err) {
  const StopReason reason = recorder.stopReason();
  if (reason == StopReason::NoReading) {
    return Fail(
        err, kExitNoMeter,
        r.device + ": no reading from the meter; nothing was recorded (is it switched on and connected?)");
  }
  int status = kExitOk;
  if (!recorder.saveError().empty()) {
    status = Fail(err, kExitBadFile, recorder.saveError());
  } else if (recorder.saved()) {
    out << "recorded " << recorder.samples() << " sample" << (recorder.samples() == 1 ? "" : "s") << " at "
        << recorder.model().run.intervalSeconds() << " s to " << r.out;
    if (r.textTable) out << " and " << TextTablePathFor(r.out);
    out << " (" << DescribeStop(reason).toStdString() << ")\n" << std::flush;
  } else {
    err << "pneuvista-cli: no sample was taken; nothing was written (" << DescribeStop(reason).toStdString()
        << ")\n";
  }
  if (reason == StopReason::LinkLost) {
    // A vanished device was already reported when it went.
    const int lost = Fail(err, kExitNoMeter, r.device + ": the meter stopped answering; the run ended");
    if (status == kExitOk) status = lost;
  }
  return status;
}

RecordOptions OptionsOf(const RecordArgs& r) {
  RecordOptions options;
  options.devicePath = r.device;
  options.intervalSeconds = *r.interval;
  options.maxSamples = r.samples;
  options.durationMs = r.durationMs;
  options.outPath = r.out;
  options.writeTextTable = r.textTable;
  options.journalFolder = DefaultJournalFolder();
  return options;
}

// The run's readings and events as they happen; its end and its file once it ended.
void PublishRun(HeadlessRecorder& recorder, CliPublisher& publisher, bool everySample) {
  auto now = [] { return IsoLocalTime(std::chrono::system_clock::now()); };
  QObject::connect(&recorder, &HeadlessRecorder::runBegan, &publisher, [&recorder, &publisher, now] {
    publisher.runEvent({RunEventKind::Started, now(), recorder.model().run.intervalSeconds(), 0, "", "", 0});
  });
  QObject::connect(&recorder, &HeadlessRecorder::sampleCommitted, &publisher,
                   [&recorder, &publisher, everySample, now](int count) {
                     if (everySample && count > 0)
                       publisher.reading(SampleReading(LiveRunRows(recorder.model()).row(count - 1)), now());
                     if (IsProgressSample(count))
                       publisher.runEvent({RunEventKind::Progress, now(), 0, count, "", "", 0});
                   });
  if (everySample) return;
  QObject::connect(&recorder, &HeadlessRecorder::frameReceived, &publisher, [&recorder, &publisher, now] {
    if (const auto reading = StreamReadingOf(recorder.model(), recorder.lastFrame()))
      publisher.reading(*reading, now());
  });
}

// Records with the event loop running until the run ends; returns the exit status.
int Record(RecordArgs& r, std::ostream& out, std::ostream& err) {
  // Only recording needs the event loop: the serial port, the timers and the signals.
  int argc = 1;
  char name[] = "pneuvista-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  // A reader of the progress or of the closing line that went away (record ... | true)
  // is no failed recording: the write fails quietly and the run is saved all the same.
  ::signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<PtyMeter> meter;
  if (r.demo) {
    meter = std::make_unique<PtyMeter>();
    if (!meter->start())
      return Fail(err, kExitBadFile, "the simulated meter could not start: " + meter->errorString());
    r.device = meter->devicePath();
  }
  HeadlessRecorder recorder(OptionsOf(r));
  std::string problem;
  const std::unique_ptr<CliPublisher> publisher = StartCliPublisher(r.publish, r.demo ? "demo" : r.device, err, &problem);
  if (!problem.empty()) return Fail(err, kExitBadFile, problem);
  if (publisher) PublishRun(recorder, *publisher, r.publish.everySample);

  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  ProgressLine progress(err);
  QTimer clock;  // keeps the elapsed time moving between long intervals
  if (terminal) {
    QObject::connect(&recorder, &HeadlessRecorder::runBegan, [&] {
      progress.show(ProgressText(recorder));
      clock.start(1000);
    });
    QObject::connect(&recorder, &HeadlessRecorder::sampleCommitted,
                     [&] { progress.show(ProgressText(recorder)); });
    QObject::connect(&clock, &QTimer::timeout, [&] { progress.show(ProgressText(recorder)); });
  }
  QObject::connect(&recorder.port(), &QtSerialPort::portLost, [&](const QString& reason) {
    progress.close();
    err << "pneuvista-cli: " << reason.toStdString() << "\n";
  });
  QObject::connect(&recorder, &HeadlessRecorder::notJournaled, [&](const QString& why) {
    progress.close();
    err << "pneuvista-cli: " << why.toStdString() << "\n";
  });
  QObject::connect(&recorder, &HeadlessRecorder::finished, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);

  // Ctrl+C, SIGTERM and SIGHUP (the terminal closed) end the run like Stop, so the
  // samples taken are saved.
  QuitSignals quit(QuitSignals::kWithHangUp);
  QObject::connect(&quit, &QuitSignals::quitRequested,
                   [&] { recorder.requestStop(StopReason::Interrupted); });

  if (!recorder.start()) return Fail(err, kExitBadFile, recorder.portError());
  if (terminal) progress.show("waiting for the meter on " + r.device + " ...");
  app.exec();
  clock.stop();
  if (terminal && recorder.hasRun()) progress.show(ProgressText(recorder));
  progress.close();
  if (publisher) {
    const std::string now = IsoLocalTime(std::chrono::system_clock::now());
    const int samples = recorder.samples();
    publisher->runEvent({RunEventKind::Ended, now, 0, samples, DescribeStop(recorder.stopReason()).toStdString(), "", 0});
    if (recorder.saved()) publisher->runEvent({RunEventKind::Saved, now, 0, samples, "", r.out, 0});
    publisher->finish();
  }
  return Report(recorder, r, out, err);
}

int RunRecord(Args args, std::ostream& out, std::ostream& err) {
  RecordArgs r;
  if (const std::string problem = ParseRecordArgs(args, r); !problem.empty())
    return UsageError(err, kRecordCommand, problem);
  if (const std::string problem = OutputProblem(r.out); !problem.empty())
    return Fail(err, kExitBadFile, problem);
  return Record(r, out, err);
}

}  // namespace

const CliCommand kRecordCommand{
    "record",
    "record (--device PATH | --demo) --interval SECONDS --out FILE.KvtDat [--samples N] [--duration SECONDS] "
    "[--no-txt] [--mqtt URL [--topic PREFIX] [--every frame|sample] [--qos 0|1] [--tls-ca FILE] "
    "[--credentials FILE]]",
    "Record a run from the meter without the window and save it as Save does.", RunRecord, kDetails};

}  // namespace pv::cli
