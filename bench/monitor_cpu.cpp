// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time of `pneuvista-cli monitor` while the meter streams at the line's limit (87
// frames a second) and every frame becomes a line on a pipe, and the same again with
// every frame also published to a mosquitto broker on 127.0.0.1 beside one that does not.
// The real binary runs in its own process against a simulated meter of the benchmark
// process; its CPU time, all threads, is read from its CPU-time clock over the measured
// span, after start-up.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

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

// Starts a simulated meter streaming at the line's limit.
void StartMeter(benchmark::State& state, pv::PtyMeter& meter) {
  meter.setFramesPerSecond(pv::PtyMeter::kMaxFramesPerSecond);
  if (!meter.start()) state.SkipWithError(meter.errorString().c_str());
}

// What a monitor took over the measured span.
struct Span {
  double cpuSeconds = 0;
  double linesPerSecond = 0;
};

// Once every monitor prints, streams for `seconds` and gives each one's span, all over
// the same seconds; nothing, with the benchmark told, when one never prints.
std::vector<Span> MeasureTogether(benchmark::State& state, const std::vector<const MonitorProcess*>& monitors,
                                  int seconds) {
  const auto allPrint = [&] {
    return std::all_of(monitors.begin(), monitors.end(), [](const MonitorProcess* m) { return m->lines() >= 20; });
  };
  if (!WaitFor(allPrint, 20000)) {
    state.SkipWithError("no lines from pneuvista-cli monitor");
    return {};
  }
  std::vector<Span> spans;
  for (const MonitorProcess* m : monitors)
    spans.push_back({-m->cpuSeconds(), -static_cast<double>(m->lines())});
  RunEventsFor(seconds * 1000);
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    spans[i].cpuSeconds = (spans[i].cpuSeconds + monitors[i]->cpuSeconds()) / seconds;
    spans[i].linesPerSecond = (spans[i].linesPerSecond + static_cast<double>(monitors[i]->lines())) / seconds;
  }
  return spans;
}

void BM_MonitorCpuAt87FramesPerSecond(benchmark::State& state) {
  pv::PtyMeter meter;
  StartMeter(state, meter);
  for (auto _ : state) {
    const MonitorProcess monitor(meter, {});
    const std::vector<Span> spans = MeasureTogether(state, {&monitor}, StreamSeconds());
    if (spans.empty()) break;
    state.SetIterationTime(spans[0].cpuSeconds);
    state.counters["cpu_pct"] = 100 * spans[0].cpuSeconds;
    state.counters["lines_per_s"] = spans[0].linesPerSecond;
  }
}

// Two monitors at once, each on a meter of its own, one of them publishing: both see the
// same machine over the same span, so the difference is what publishing costs and not
// what else the machine did between two runs. The time is that difference.
void BM_MonitorCpuAt87FramesPerSecondPublishingEach(benchmark::State& state) {
  pv::testsupport::Broker broker;
  pv::PtyMeter meters[2];
  for (pv::PtyMeter& meter : meters) StartMeter(state, meter);
  if (!broker.start()) state.SkipWithError("mosquitto did not start");
  int round = 0;
  for (auto _ : state) {
    // The meters take turns at publishing, so neither pty's own cost leans one way.
    const int publishing = round++ % 2;
    const MonitorProcess plain(meters[1 - publishing], {});
    const MonitorProcess publisher(meters[publishing], {QStringLiteral("--mqtt"), broker.url()});
    const std::vector<Span> spans = MeasureTogether(state, {&plain, &publisher}, StreamSeconds());
    if (spans.empty()) break;
    const double extra = spans[1].cpuSeconds - spans[0].cpuSeconds;
    state.SetIterationTime(extra);
    state.counters["extra_pct"] = 100 * extra;
    state.counters["plain_pct"] = 100 * spans[0].cpuSeconds;
    state.counters["publishing_pct"] = 100 * spans[1].cpuSeconds;
  }
}

// The figure is CPU milliseconds per second of streaming: 10 ms is 1 % of one core.
BENCHMARK(BM_MonitorCpuAt87FramesPerSecond)->Apply(pv::bench::CpuWhileStreamingRuns);
BENCHMARK(BM_MonitorCpuAt87FramesPerSecondPublishingEach)->Apply(pv::bench::CpuWhileStreamingRuns);

}  // namespace

int main(int argc, char** argv) { return pv::bench::ProgramBenchmarkMain(argc, argv, {}); }
