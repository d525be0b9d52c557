// SPDX-License-Identifier: GPL-3.0-or-later
// The floor under the program's CPU figures (bench_program_cpu): what waking up for
// every frame as it arrives costs on this machine, before anything is done with it. A
// fresh process does nothing but wait for the simulated meter's bytes (87 frames a
// second, a steady pressure) and read them; its own user + system time over the
// measured span is the figure. Argument qt: 0 a bare poll() and read() loop; 1 a Qt
// event loop (the dispatcher the program uses) woken by a socket notifier on the device;
// 2 the program's own serial port (QSerialPort) in a widget application, each frame
// read and the rest discarded as the program does, and nothing more.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/qt_serial_port.h"
#include "program_harness.h"

namespace {

using namespace pv::bench;

// The child: it opens the device and reads whatever arrives, as soon as it arrives.
int FloorChild(int argc, char** argv) {
  const std::string device = ChildDevice(argc, argv);
  const int seconds = ArgInt(argc, argv, "--seconds", 60);
  const int variant = ArgInt(argc, argv, "--qt", 0);
  long long bytes = 0;
  bool lost = false;
  // Runs `loopFor` two seconds to settle, then measures it over the span.
  const auto measure = [&](const std::function<void(int)>& loopFor) {
    loopFor(2000);
    bytes = 0;
    const double wall0 = MonotonicSeconds(), cpu0 = ProcessCpuSeconds();
    loopFor(seconds * 1000);
    Report("cpu_seconds", ProcessCpuSeconds() - cpu0);
    Report("wall_seconds", MonotonicSeconds() - wall0);
  };

  if (variant == 2) {
    pv::ui::PreferQtEventDispatcher();
    QApplication qapp(argc, argv);
    pv::QtSerialPort port;
    port.setDevicePathOverride(device);
    try {
      port.open();
    } catch (const pv::PortError& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
    QObject::connect(&port, &pv::QtSerialPort::dataReceived, [&] {
      bytes += static_cast<long long>(port.readAll().size());
      port.discardInput();
    });
    QObject::connect(&port, &pv::QtSerialPort::portLost, [&] { lost = true; });
    measure([](int ms) { RunEventsFor(ms); });
  } else {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "cannot open %s\n", device.c_str());
      return 1;
    }
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(fd, TCSANOW, &t);
    }
    char buffer[512];
    const auto drain = [&] {
      for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes += n;
    };
    if (variant == 0) {
      measure([&](int ms) {
        const double end = MonotonicSeconds() + ms / 1000.0;
        for (double now; !lost && (now = MonotonicSeconds()) < end;) {
          pollfd p{fd, POLLIN, 0};
          if (::poll(&p, 1, static_cast<int>((end - now) * 1000) + 1) <= 0) continue;
          if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) lost = true;  // the meter went away
          drain();
        }
      });
    } else {
      pv::ui::PreferQtEventDispatcher();
      QCoreApplication qapp(argc, argv);
      QSocketNotifier notifier(fd, QSocketNotifier::Read);
      QObject::connect(&notifier, &QSocketNotifier::activated, drain);
      measure([](int ms) { RunEventsFor(ms); });
    }
    ::close(fd);
  }
  if (lost) {
    std::fprintf(stderr, "%s went away\n", device.c_str());
    return 1;
  }
  Report("bytes", static_cast<double>(bytes));
  std::fflush(stdout);
  return 0;
}

void BM_FloorReadEveryFrame87PerSecond(benchmark::State& state) {
  MeasureCpuWhileStreaming(
      state, true, "floor", {QStringLiteral("--qt"), QString::number(state.range(0))}, 30,
      [&](const ChildResult& r, double wall) { state.counters["bytes_per_s"] = r["bytes"] / wall; });
}
BENCHMARK(BM_FloorReadEveryFrame87PerSecond)
    ->ArgName("qt")
    ->DenseRange(0, 2)
    ->Apply(CpuWhileStreamingRuns);

}  // namespace

int main(int argc, char** argv) {
  return ProgramBenchmarkMain(argc, argv, {{"floor", FloorChild}});
}
