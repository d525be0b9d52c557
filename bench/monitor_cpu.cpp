// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time of `pneuvista-cli monitor` while the meter streams at the line's limit (87
// frames a second) and every frame becomes a line on a pipe, and the same again with
// every frame also published to a mosquitto broker on 127.0.0.1. The real binary runs in
// its own process against the simulated meter of the benchmark process; its user +
// system time is read from /proc/PID/stat over the measured span, after start-up.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>

#include "event_loop.h"
#include "mqtt_broker.h"
#include "program_harness.h"
#include "sim/pty_meter.h"

namespace {

using pv::testsupport::RunEventsFor;
using pv::testsupport::WaitFor;
using pv::bench::StreamSeconds;

// User + system seconds of a running process (fields 14 and 15 of its stat line); -1
// when it cannot be read.
double ProcessCpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = stat.readAll();
  // The command name in parentheses may hold blanks; the fields count from after it.
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return -1;
  return (fields[11].toDouble() + fields[12].toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void MeasureMonitor(benchmark::State& state, const QStringList& extra) {
  pv::PtyMeter meter;
  meter.setFramesPerSecond(pv::PtyMeter::kMaxFramesPerSecond);
  if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
  const int seconds = StreamSeconds();
  for (auto _ : state) {
    QProcess monitor;
    qint64 lines = 0;
    QObject::connect(&monitor, &QProcess::readyReadStandardOutput,
                     [&] { lines += monitor.readAllStandardOutput().count('\n'); });
    monitor.start(QStringLiteral(PNEUVISTA_BINARY_DIR "/pneuvista-cli"),
                  QStringList{QStringLiteral("monitor"), QStringLiteral("--device"),
                              QString::fromStdString(meter.devicePath())} + extra);
    if (!WaitFor([&] { return lines >= 20; }, 20000)) {
      state.SkipWithError("no lines from pneuvista-cli monitor");
      break;
    }
    const qint64 lines0 = lines;
    const double cpu0 = ProcessCpuSeconds(monitor.processId());
    RunEventsFor(seconds * 1000);
    const double cpu = ProcessCpuSeconds(monitor.processId()) - cpu0;
    const double frames = static_cast<double>(lines - lines0);
    monitor.terminate();
    WaitFor([&] { return monitor.state() == QProcess::NotRunning; }, 10000);
    state.SetIterationTime(cpu / seconds);
    state.counters["cpu_pct"] = 100 * cpu / seconds;
    state.counters["lines_per_s"] = frames / seconds;
  }
}

void BM_MonitorCpuAt87FramesPerSecond(benchmark::State& state) {
  MeasureMonitor(state, {});
}

void BM_MonitorCpuAt87FramesPerSecondPublishingEach(benchmark::State& state) {
  pv::testsupport::Broker broker;
  if (!broker.start()) {
    state.SkipWithError("mosquitto did not start");
    return;
  }
  MeasureMonitor(state, {QStringLiteral("--mqtt"), broker.url()});
}

// The figure is CPU milliseconds per second of streaming: 10 ms is 1 % of one core.
BENCHMARK(BM_MonitorCpuAt87FramesPerSecond)->Apply(pv::bench::CpuWhileStreamingRuns);
BENCHMARK(BM_MonitorCpuAt87FramesPerSecondPublishingEach)->Apply(pv::bench::CpuWhileStreamingRuns);

}  // namespace

int main(int argc, char** argv) { return pv::bench::ProgramBenchmarkMain(argc, argv, {}); }
