// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time of `pneuvista-cli monitor` while the meter streams at the line's limit (87
// frames a second) and every frame becomes a line on a pipe, and the same again with
// every frame also published to a mosquitto broker on 127.0.0.1 beside one that does not.
// The real binary runs in its own process against a simulated meter of the benchmark
// process; its CPU time, all threads, is read from its CPU-time clock over the measured
// span, after start-up.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QProcess>

#include "event_loop.h"
#include "mqtt_broker.h"
#include "program_harness.h"
#include "sim/pty_meter.h"

namespace {

using pv::testsupport::RunEventsFor;
using pv::testsupport::WaitFor;
using pv::bench::StreamSeconds;

// Seconds a running process has spent on a CPU, all its threads, from its CPU-time clock
// (nanoseconds; the user and system times of /proc/PID/stat count in clock ticks of 10 ms,
// too coarse for a difference of a few milliseconds a second); -1 when it cannot be read.
double ProcessCpuSeconds(qint64 pid) {
  clockid_t clock{};
  timespec t{};
  if (clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 || clock_gettime(clock, &t) != 0) return -1;
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// One `pneuvista-cli monitor` on a simulated meter, its lines counted as they come.
class MonitorProcess {
 public:
  MonitorProcess(const pv::PtyMeter& meter, const QStringList& extra) {
    QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                     [this] { lines_ += process_.readAllStandardOutput().count('\n'); });
    process_.start(QStringLiteral(PNEUVISTA_BINARY_DIR "/pneuvista-cli"),
                   QStringList{QStringLiteral("monitor"), QStringLiteral("--device"),
                               QString::fromStdString(meter.devicePath())} + extra);
  }
  ~MonitorProcess() {
    process_.terminate();
    WaitFor([&] { return process_.state() == QProcess::NotRunning; }, 10000);
  }
  qint64 lines() const { return lines_; }
  double cpuSeconds() const { return ProcessCpuSeconds(process_.processId()); }

 private:
  QProcess process_;
  qint64 lines_ = 0;
};

void MeasureMonitor(benchmark::State& state) {
  pv::PtyMeter meter;
  meter.setFramesPerSecond(pv::PtyMeter::kMaxFramesPerSecond);
  if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
  const int seconds = StreamSeconds();
  for (auto _ : state) {
    MonitorProcess monitor(meter, {});
    if (!WaitFor([&] { return monitor.lines() >= 20; }, 20000)) {
      state.SkipWithError("no lines from pneuvista-cli monitor");
      break;
    }
    const qint64 lines0 = monitor.lines();
    const double cpu0 = monitor.cpuSeconds();
    RunEventsFor(seconds * 1000);
    const double cpu = monitor.cpuSeconds() - cpu0;
    state.SetIterationTime(cpu / seconds);
    state.counters["cpu_pct"] = 100 * cpu / seconds;
    state.counters["lines_per_s"] = static_cast<double>(monitor.lines() - lines0) / seconds;
  }
}

void BM_MonitorCpuAt87FramesPerSecond(benchmark::State& state) {
  MeasureMonitor(state);
}

// Two monitors at once, each on a meter of its own, one of them publishing: both see the
// same machine over the same span, so the difference is what publishing costs and not
// what else the machine did between two runs. The time is that difference.
void BM_MonitorCpuAt87FramesPerSecondPublishingEach(benchmark::State& state) {
  pv::testsupport::Broker broker;
  pv::PtyMeter meters[2];
  for (pv::PtyMeter& meter : meters) {
    meter.setFramesPerSecond(pv::PtyMeter::kMaxFramesPerSecond);
    if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
  }
  if (!broker.start()) state.SkipWithError("mosquitto did not start");
  const int seconds = StreamSeconds();
  int round = 0;
  for (auto _ : state) {
    // The meters take turns at publishing, so neither pty's own cost leans one way.
    const int publishing = round++ % 2;
    MonitorProcess plain(meters[1 - publishing], {});
    MonitorProcess publisher(meters[publishing], {QStringLiteral("--mqtt"), broker.url()});
    if (!WaitFor([&] { return plain.lines() >= 20 && publisher.lines() >= 20; }, 20000)) {
      state.SkipWithError("no lines from pneuvista-cli monitor");
      break;
    }
    const double plain0 = plain.cpuSeconds();
    const double publisher0 = publisher.cpuSeconds();
    RunEventsFor(seconds * 1000);
    const double plainCpu = plain.cpuSeconds() - plain0;
    const double publisherCpu = publisher.cpuSeconds() - publisher0;
    state.SetIterationTime((publisherCpu - plainCpu) / seconds);
    state.counters["extra_pct"] = 100 * (publisherCpu - plainCpu) / seconds;
    state.counters["plain_pct"] = 100 * plainCpu / seconds;
    state.counters["publishing_pct"] = 100 * publisherCpu / seconds;
  }
}

// The figure is CPU milliseconds per second of streaming: 10 ms is 1 % of one core.
BENCHMARK(BM_MonitorCpuAt87FramesPerSecond)->Apply(pv::bench::CpuWhileStreamingRuns);
BENCHMARK(BM_MonitorCpuAt87FramesPerSecondPublishingEach)->Apply(pv::bench::CpuWhileStreamingRuns);

}  // namespace

int main(int argc, char** argv) { return pv::bench::ProgramBenchmarkMain(argc, argv, {}); }
