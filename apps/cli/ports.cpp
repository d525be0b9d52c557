// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli ports: the serial devices, their stable names and, with --probe, which
// of them is a meter.
#include <QCoreApplication>
#include <clocale>
#include <ostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "platform/meter_probe.h"
#include "text_format.h"

namespace pv::cli {
namespace {

constexpr std::string_view kDetails =
    "One line per serial device the system knows, then each PATH given that it does not\n"
    "(a pseudo-terminal, a link), tab-separated:\n"
    "\n"
    "  path  stable name  vendor:product  serial number  description  free|busy\n"
    "  /dev/ttyUSB0  /dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0  0403:6001  A1B2  FT232R USB UART  free\n"
    "\n"
    "A field that is not known is '-'. The stable name in /dev/serial/by-id stays the same\n"
    "when the adapter goes into another USB socket; the window's [Ports] section can name it.\n"
    "\n"
    "  --probe   also open each free device, greet it (CONNECT) as the program does and\n"
    "            listen up to 1.5 s for a valid reading; a last field says 'meter', 'not a\n"
    "            meter', 'busy' or 'cannot open: REASON'. A meter is sent EXIT and\n"
    "            DISCONNECT afterwards. The devices are probed side by side.\n"
    "\n"
    "exit status: 0 the devices were listed (with --probe: at least one meter was found);\n"
    "1 with --probe: no meter was found; 2 wrong usage\n";

std::string Field(const std::string& text) {
  return text.empty() ? "-" : text;
}

std::string UsbIds(const SerialDevice& d) {
  if (d.vendorId < 0 || d.productId < 0) return "-";
  return Format("%04x:%04x", d.vendorId, d.productId);
}

std::string DeviceLine(const SerialDevice& d) {
  return d.path + "\t" + Field(d.stableName) + "\t" + UsbIds(d) + "\t" + Field(d.serialNumber) + "\t" +
         Field(d.description) + "\t" + (d.busy ? "busy" : "free");
}

// Probes every device listed with the event loop running; returns the results in order.
std::vector<ProbeResult> Probe(const std::vector<SerialDevice>& devices) {
  std::vector<std::string> paths;
  for (const SerialDevice& d : devices) paths.push_back(d.path);
  MeterProbe probe;
  QObject::connect(&probe, &MeterProbe::finished, QCoreApplication::instance(), &QCoreApplication::quit,
                   Qt::QueuedConnection);
  probe.start(paths);
  if (!probe.isFinished()) QCoreApplication::exec();
  return probe.results();
}

int RunPorts(Args args, std::ostream& out, std::ostream& err) {
  bool probe = false;
  std::vector<std::string> paths;
  for (std::string_view a : args) {
    if (a == "--probe") {
      probe = true;
    } else if (a.empty() || a.front() == '-') {
      return UsageError(err, kPortsCommand, "unknown argument '" + std::string(a) + "'");
    } else {
      paths.emplace_back(a);
    }
  }
  int argc = 1;
  char name[] = "pneuvista-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");

  const std::vector<SerialDevice> devices = ListSerialDevices(paths);
  if (!probe) {
    for (const SerialDevice& d : devices) out << DeviceLine(d) << "\n";
    out.flush();
    return kExitOk;
  }
  const std::vector<ProbeResult> results = Probe(devices);
  bool meterFound = false;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    out << DeviceLine(devices[i]) << "\t" << DescribeProbe(results[i]) << "\n";
    meterFound |= results[i].outcome == ProbeOutcome::Meter;
  }
  out.flush();
  return meterFound ? kExitOk : Fail(err, kExitBadFile, "no meter found");
}

}  // namespace

const CliCommand kPortsCommand{"ports", "ports [--probe] [PATH...]",
                               "List the serial devices; with --probe, find out which of them is a meter.",
                               RunPorts, kDetails};

}  // namespace pv::cli
