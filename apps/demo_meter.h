// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// --demo of the windowed program: the simulated meter on a pseudo-terminal stands in
// for the configured port's device. The program's main() and the whole-program
// benchmarks start it the same way, before the application object.
#include <QObject>
#include <QString>
#include <cstdio>
#include <memory>

#include "sim/pty_meter.h"
#include "ui/app/meter_app.h"

namespace pv {

// With options.demo, starts the simulated meter and points options.devicePath at it;
// with options.trace the commands it receives are printed on standard error. Null
// without --demo, and null with error set when the meter could not start. The meter
// must outlive the application that opens it.
inline std::unique_ptr<PtyMeter> StartDemoMeter(ui::StartOptions& options, QString& error) {
  if (!options.demo) return nullptr;
  auto meter = std::make_unique<PtyMeter>();
  if (!meter->start()) {
    error = QStringLiteral("The simulated meter could not start: %1")
                .arg(QString::fromStdString(meter->errorString()));
    return nullptr;
  }
  options.devicePath = meter->devicePath();
  if (options.trace) {
    QObject::connect(meter.get(), &PtyMeter::commandReceived,
                     [](int code) { std::fprintf(stderr, "meter received %02X\n", code); });
  }
  return meter;
}

}  // namespace pv
