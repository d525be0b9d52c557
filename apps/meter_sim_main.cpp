// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-meter-sim: a simulated pressure meter on a pseudo-terminal. Prints the device path
// to open, then streams readings and obeys commands until interrupted.
#include <fcntl.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "pneuvista_version.h"
#include "sim/pty_meter.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("pneuvista-meter-sim");
  QCoreApplication::setApplicationVersion(pneuvista::kVersion);

  QCommandLineParser parser;
  parser.setApplicationDescription("Simulated pressure meter on a pseudo-terminal.");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption linkOption("link", "Keep a symbolic link at PATH pointing to the device.", "PATH");
  QCommandLineOption rateOption("rate", "Reading frames per second (at most 87).", "N", "2");
  QCommandLineOption curveOption(
      "curve",
      "The pressure it measures, in psi: CENTRE + AMPLITUDE x sin(2 pi t / PERIOD seconds) + up to NOISE. "
      "A slow leak from 40 psi: 40,-0.5,14400,0.002.",
      "CENTRE,AMPLITUDE,PERIOD,NOISE", "3,1.5,20,0.01");
  parser.addOption(linkOption);
  parser.addOption(rateOption);
  parser.addOption(curveOption);
  parser.process(app);

  bool rateOk = false;
  const double rate = parser.value(rateOption).toDouble(&rateOk);
  if (!rateOk || rate <= 0) {
    std::fprintf(stderr, "pneuvista-meter-sim: --rate needs a positive number\n");
    return 2;
  }

  const QStringList curve = parser.value(curveOption).split(QLatin1Char(','));
  double curveValues[4] = {};
  bool curveOk = curve.size() == 4;
  for (int i = 0; curveOk && i < 4; ++i) curveValues[i] = curve[i].trimmed().toDouble(&curveOk);
  if (!curveOk || !(curveValues[2] > 0) || curveValues[3] < 0) {
    std::fprintf(stderr, "pneuvista-meter-sim: --curve needs four numbers: centre, amplitude, period above 0, noise 0 or more\n");
    return 2;
  }

  // Signals end the event loop through a pipe, so the link is removed on the way out.
  if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("pneuvista-meter-sim: pipe");
    return 1;
  }
  QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);

  pv::PtyMeter meter(parser.value(linkOption).toStdString());
  meter.setFramesPerSecond(rate);
  meter.model().setCurve(static_cast<float>(curveValues[0]), static_cast<float>(curveValues[1]), curveValues[2],
                         static_cast<float>(curveValues[3]));
  if (!meter.start()) {
    std::fprintf(stderr, "pneuvista-meter-sim: %s\n", meter.errorString().c_str());
    return 1;
  }
  std::printf("%s\n", meter.devicePath().c_str());
  std::fflush(stdout);
  return app.exec();
}
