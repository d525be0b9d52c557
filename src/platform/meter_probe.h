// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the meter: the serial devices the system knows, their stable
// /dev/serial/by-id names, and a probe that greets each device as the program does and
// listens for a reading. Shared by `pneuvista-cli ports` and the window.
#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pv {

struct SerialDevice {
  std::string path;        // "/dev/ttyUSB0"
  std::string stableName;  // "/dev/serial/by-id/usb-...-port0"; empty when there is none
  int vendorId = -1;       // USB ids; -1 when unknown
  int productId = -1;
  std::string serialNumber;
  std::string description;
  bool busy = false;  // another program holds it
};

inline constexpr const char* kStableNameFolder = "/dev/serial/by-id";

// The symbolic links of folder by the device each resolves to: "/dev/ttyUSB0" ->
// "/dev/serial/by-id/usb-...". A missing folder gives nothing; dangling links are left out.
std::map<std::string, std::string> StableNames(const std::string& folder);

// Whether a program holds the device: a live lock file of Qt's serial port (this
// program's and every Qt program's, under the device's name or a link's), or an
// exclusive open (EBUSY). Opens the device without touching its settings and closes it
// at once.
bool DeviceBusy(const std::string& path);

// The serial devices the system enumerates, then each of extraPaths not among them (a
// pseudo-terminal, a link), ordered by path.
std::vector<SerialDevice> ListSerialDevices(const std::vector<std::string>& extraPaths = {},
                                            const std::string& stableFolder = kStableNameFolder);

// How long a probed device has to send a valid reading after the greeting.
inline constexpr int kProbeListenMs = 1500;

enum class ProbeOutcome { Meter, NotMeter, Busy, CannotOpen };

struct ProbeResult {
  std::string path;
  ProbeOutcome outcome = ProbeOutcome::NotMeter;
  std::string reason;  // why it could not be opened
};

// Probes devices side by side, so that the whole probe takes kProbeListenMs at most
// after the opens: each free device is opened, greeted (CONNECT), and listened to until
// a valid reading frame arrives; a meter is then sent EXIT and DISCONNECT, as on
// closing the window. Runs on the event loop; finished() comes once every device is done.
class MeterProbe : public QObject {
  Q_OBJECT

 public:
  explicit MeterProbe(QObject* parent = nullptr);
  ~MeterProbe() override;

  void start(const std::vector<std::string>& paths);
  bool isFinished() const { return pending_ == 0; }
  // In the order of the paths given.
  const std::vector<ProbeResult>& results() const { return results_; }

 signals:
  void finished();

 private:
  class DeviceProbe;
  void deviceDone();

  std::vector<std::unique_ptr<DeviceProbe>> probes_;
  std::vector<ProbeResult> results_;
  int pending_ = 0;
};

// A meter the probe found, as the window offers it.
struct MeterChoice {
  std::string device;  // the path probed
  std::string name;    // what the [Ports] section gets: the stable name when there is one
};

// The meters among results, each with its stable name from stableNames (device -> link,
// as StableNames gives them) when the device, or what it links to, has one.
std::vector<MeterChoice> MeterChoices(const std::vector<ProbeResult>& results,
                                      const std::map<std::string, std::string>& stableNames);

// A few words for a person: "meter", "not a meter", "busy", "cannot open: ...".
std::string DescribeProbe(const ProbeResult& result);

}  // namespace pv
