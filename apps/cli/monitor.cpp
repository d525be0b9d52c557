// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli monitor: the meter's readings as a stream of lines for other programs,
// greeted, watched and sent off as `record` does, without a run.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "link/stream_line.h"
#include "headless_recorder.h"
#include "platform/quit_signals.h"
#include "publish_options.h"
#include "sim/pty_meter.h"

namespace pv::cli {
namespace {

// The meter stopped answering, or never answered.
constexpr int kExitNoMeter = 3;

constexpr std::string_view kDetails =
    "The meter is greeted (CONNECT) as the window greets it, and every reading or error\n"
    "frame it sends is printed as one line the moment it arrives: the local time with\n"
    "milliseconds (ISO 8601), the value, the unit, the reading as the panel shows it and\n"
    "the meter's HOLD, DIF and REC state, or the error word (ERR1..ERR4) of an error frame.\n"
    "No run is started and nothing is written to disk.\n"
    "\n"
    "  --device PATH       the meter's serial device, for example /dev/ttyUSB0\n"
    "  --demo              the built-in simulated meter instead of a device\n"
    "  --format csv|jsonl|none  CSV with a header line (the default), one JSON object a\n"
    "                      line, or no lines (when publishing)\n"
    "  --count N           stop after N lines\n"
    "  --duration SECONDS  stop this long after start-up\n"
    PV_CLI_PUBLISH_OPTIONS
    "\n"
    "CSV:   time,value,unit,reading,flags,error\n"
    "       2026-03-04T10:20:30.125+01:00,3.042,psi,+3.042,HOLD,\n"
    "       2026-03-04T10:20:30.625+01:00,,,,,ERR1\n"
    "JSONL: {\"time\":\"2026-03-04T10:20:30.125+01:00\",\"value\":3.042,\"unit\":\"psi\",\n"
    "        \"reading\":\"+3.042\",\"flags\":[\"HOLD\"]}\n"
    "       {\"time\":\"2026-03-04T10:20:30.625+01:00\",\"error\":\"ERR1\"}\n"
    "\n"
    "The stream ends after N lines, after the duration, on Ctrl+C or SIGTERM, when the\n"
    "reader of standard output goes away (monitor | head -3), or when the meter stops\n"
    "answering for 5 to 10 seconds (8 seconds when it never answered); the meter is then\n"
    "sent EXIT and DISCONNECT.\n"
    "\n"
    "exit status: 0 the stream ended as asked or its reader went away; 1 the port cannot be\n"
    "opened or the readings cannot be written; 2 wrong usage; 3 the meter stopped answering\n"
    "or never answered\n";

struct MonitorArgs {
  std::string device;
  bool demo = false;
  StreamFormat format = StreamFormat::Csv;
  bool printLines = true;
  long long count = 0;
  PublishArgs publish;
  int durationMs = 0;
};

// Returns the problem, empty when the arguments are usable.
std::string ParseMonitorArgs(Args args, MonitorArgs& m) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--demo") {
      m.demo = true;
      continue;
    }
    if (std::string problem; ParsePublishArg(args, i, m.publish, &problem)) {
      if (!problem.empty()) return problem;
      continue;
    }
    if (a != "--device" && a != "--format" && a != "--count" && a != "--duration")
      return "unknown argument '" + std::string(a) + "'";
    if (i + 1 >= args.size()) return std::string(a) + " needs a value";
    const std::string_view v = args[++i];
    const char* end = v.data() + v.size();
    if (a == "--device") {
      if (v.empty()) return "--device needs a path";
      m.device = v;
    } else if (a == "--format") {
      if (v != "csv" && v != "jsonl" && v != "none")
        return "--format is csv, jsonl or none, not '" + std::string(v) + "'";
      m.format = v == "csv" ? StreamFormat::Csv : StreamFormat::JsonLines;
      m.printLines = v != "none";
    } else if (a == "--count") {
      const auto [ptr, ec] = std::from_chars(v.data(), end, m.count);
      if (ec != std::errc() || ptr != end || v.empty() || m.count < 1)
        return "--count needs a positive whole number, not '" + std::string(v) + "'";
    } else {
      double seconds = 0;
      const auto [ptr, ec] = std::from_chars(v.data(), end, seconds);
      // A QTimer counts milliseconds in an int.
      if (ec != std::errc() || ptr != end || v.empty() || !(seconds > 0) || seconds * 1000 > 2e9)
        return "--duration needs a positive number of seconds, not '" + std::string(v) + "'";
      m.durationMs = std::max(1, static_cast<int>(std::lround(seconds * 1000)));
    }
  }
  if (m.demo && !m.device.empty()) return "--demo and --device exclude each other";
  if (!m.demo && m.device.empty()) return "no meter given (--device PATH or --demo)";
  if (m.publish.everySample) return "--every sample needs a run: monitor publishes every frame";
  if (!m.printLines && m.publish.url.empty()) return "--format none needs --mqtt URL";
  return PublishArgsProblem(m.publish);
}

// Writes one line and flushes it; false once the stream cannot take it, with the
// system's reason in *failure (EPIPE when the reader went away).
bool Emit(std::ostream& out, const std::string& line, int* failure) {
  errno = 0;
  out << line << std::flush;
  if (out) return true;
  if (*failure == 0) *failure = errno != 0 ? errno : EIO;
  return false;
}

// Streams with the event loop running until the stream ends; returns the exit status.
int Monitor(MonitorArgs& m, std::ostream& out, std::ostream& err) {
  // With standard output closed, the next descriptor opened (the port's) would become
  // it and receive the readings.
  if (::fcntl(STDOUT_FILENO, F_GETFD) < 0 && errno == EBADF)
    return Fail(err, kExitBadFile, "cannot write the readings: standard output is closed");
  int argc = 1;
  char name[] = "pneuvista-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  // A reader that went away shows as a failed write, not as a fatal signal.
  ::signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<PtyMeter> meter;
  if (m.demo) {
    meter = std::make_unique<PtyMeter>();
    if (!meter->start())
      return Fail(err, kExitBadFile, "the simulated meter could not start: " + meter->errorString());
    m.device = meter->devicePath();
  }
  RecordOptions options;
  options.devicePath = m.device;
  options.startRun = false;
  options.durationMs = m.durationMs;
  HeadlessRecorder stream(options);
  std::string problem;
  const std::unique_ptr<CliPublisher> publisher = StartCliPublisher(m.publish, m.demo ? "demo" : m.device, err, &problem);
  if (!problem.empty()) return Fail(err, kExitBadFile, problem);

  long long lines = 0;
  int writeFailure = 0;
  QObject::connect(&stream, &HeadlessRecorder::frameReceived, [&] {
    const auto reading = StreamReadingOf(stream.model(), stream.lastFrame());
    if (!reading) return;
    const std::string time = IsoLocalTime(std::chrono::system_clock::now());
    if (publisher) publisher->reading(*reading, time);
    if (m.printLines && !Emit(out, StreamLine(m.format, *reading, time), &writeFailure)) {
      stream.requestStop(StopReason::Interrupted);
    } else if (++lines == m.count) {
      stream.requestStop(StopReason::SampleCount);
    }
  });
  QObject::connect(&stream.port(), &QtSerialPort::portLost,
                   [&](const QString& reason) { err << "pneuvista-cli: " << reason.toStdString() << "\n"; });
  QObject::connect(&stream, &HeadlessRecorder::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  QuitSignals quit;
  QObject::connect(&quit, &QuitSignals::quitRequested, [&] { stream.requestStop(StopReason::Interrupted); });

  if (!stream.start()) return Fail(err, kExitBadFile, stream.portError());
  if (m.printLines && !Emit(out, StreamHeader(m.format), &writeFailure)) stream.requestStop(StopReason::Interrupted);
  app.exec();
  if (publisher) publisher->finish();
  // A reader that went away ends the stream as asked; any other failed write (a full
  // disk, a closed standard output) lost readings.
  if (writeFailure != 0 && writeFailure != EPIPE)
    return Fail(err, kExitBadFile, std::string("cannot write the readings: ") + std::strerror(writeFailure));
  switch (stream.stopReason()) {
    case StopReason::NoReading:
      return Fail(err, kExitNoMeter, m.device + ": no reading from the meter (is it switched on and connected?)");
    case StopReason::LinkLost:
      return Fail(err, kExitNoMeter, m.device + ": the meter stopped answering");
    default:
      return kExitOk;
  }
}

int RunMonitor(Args args, std::ostream& out, std::ostream& err) {
  MonitorArgs m;
  if (const std::string problem = ParseMonitorArgs(args, m); !problem.empty())
    return UsageError(err, kMonitorCommand, problem);
  return Monitor(m, out, err);
}

}  // namespace

const CliCommand kMonitorCommand{
    "monitor",
    "monitor (--device PATH | --demo) [--format csv|jsonl|none] [--count N] [--duration SECONDS] [--mqtt URL "
    "[--topic PREFIX] [--qos 0|1] [--tls-ca FILE] [--credentials FILE]]",
    "Print each reading of the meter as one line (CSV or JSON Lines) as it arrives.", RunMonitor, kDetails};

}  // namespace pv::cli
