// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/meter_probe.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <QLockFile>
#include <QMetaObject>
#include <QSerialPortInfo>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <variant>

#include "app_model.h"
#include "link/ingest.h"
#include "link/link.h"
#include "link/port_commands.h"
#include "platform/port_paths.h"
#include "platform/qt_serial_port.h"

namespace pv {

std::map<std::string, std::string> StableNames(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (!entry.is_symlink(ec)) continue;
    const fs::path target = fs::canonical(entry.path(), ec);
    if (ec) continue;
    // Two links to one device (by-id and a hand-made one): the first by name wins.
    names.emplace(target.string(), entry.path().string());
  }
  return names;
}

namespace {

// The stable name of the device at path (or of what it links to); empty when it has none.
std::string StableNameOf(const std::string& path, const std::map<std::string, std::string>& stableNames) {
  auto it = stableNames.find(path);
  if (it == stableNames.end()) it = stableNames.find(RealDevicePath(path));
  return it != stableNames.end() ? it->second : std::string();
}

constexpr const char* kLockFolders[] = {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp"};

// Qt's serial port locks a device with a lock file in the first usable of these
// folders, "LCK.." and the path without "/dev/", its slashes made underscores.
bool LockedByQtProgram(const std::string& path) {
  std::string name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
  std::replace(name.begin(), name.end(), '/', '_');
  for (const char* folder : kLockFolders) {
    const QString lockPath = QString::fromLatin1(folder) + QStringLiteral("/LCK..") + QString::fromStdString(name);
    if (!QFileInfo::exists(lockPath)) continue;
    QLockFile lock(lockPath);
    if (!lock.tryLock(0)) return true;
    lock.unlock();
  }
  return false;
}

// Whether process pid has the device open: one of its descriptors resolves to it.
bool ProcessHolds(qint64 pid, const std::string& realPath) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const fs::directory_entry& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    std::error_code linkError;
    if (fs::read_symlink(fd.path(), linkError) == realPath) return true;
  }
  return false;
}

// A program that opened the device through a link (a stable name, the window's
// configured path) locks the link's name, not the device's: any live lock whose owner
// holds the device counts, the program's own included.
bool LockedUnderAnotherName(const std::string& path) {
  namespace fs = std::filesystem;
  const std::string real = RealDevicePath(path);
  for (const char* folder : kLockFolders) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
      if (entry.path().filename().string().rfind("LCK..", 0) != 0) continue;
      qint64 pid = 0;
      QString host, application;
      QLockFile lock(QString::fromStdString(entry.path().string()));
      if (lock.getLockInfo(&pid, &host, &application) && pid > 0 && ProcessHolds(pid, real)) return true;
    }
  }
  return false;
}

}  // namespace

bool DeviceBusy(const std::string& path) {
  // Under its real name: a program that opened it through a link locked that name.
  const std::string device = RealDevicePath(path);
  if (LockedByQtProgram(device) || LockedUnderAnotherName(device)) return true;
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EBUSY;
  ::close(fd);
  return false;
}

std::vector<SerialDevice> ListSerialDevices(const std::vector<std::string>& extraPaths,
                                            const std::string& stableFolder) {
  const std::map<std::string, std::string> stable = StableNames(stableFolder);
  std::vector<SerialDevice> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialDevice d;
    d.path = info.systemLocation().toStdString();
    if (info.hasVendorIdentifier()) d.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) d.productId = info.productIdentifier();
    d.serialNumber = info.serialNumber().toStdString();
    d.description = info.description().toStdString();
    devices.push_back(std::move(d));
  }
  for (const std::string& path : extraPaths) {
    const std::string real = RealDevicePath(path);
    const bool known = std::any_of(devices.begin(), devices.end(),
                                   [&](const SerialDevice& d) { return d.path == path || d.path == real; });
    if (known) continue;
    SerialDevice d;
    d.path = path;
    devices.push_back(std::move(d));
  }
  for (SerialDevice& d : devices) {
    d.stableName = StableNameOf(d.path, stable);
    d.busy = DeviceBusy(d.path);
  }
  std::sort(devices.begin(), devices.end(),
            [](const SerialDevice& a, const SerialDevice& b) { return a.path < b.path; });
  return devices;
}

// One device's probe: its own port and model, so that its frames are read exactly as
// the program reads them.
class MeterProbe::DeviceProbe {
 public:
  DeviceProbe(ProbeResult& result, MeterProbe& owner)
      : result_(result), owner_(owner), port_([path = result.path](int) { return path; }) {
    listen_.setSingleShot(true);
    QObject::connect(&listen_, &QTimer::timeout, [this] { end(ProbeOutcome::NotMeter); });
    QObject::connect(&port_, &QtSerialPort::dataReceived, [this] { onReceive(); });
    QObject::connect(&port_, &QtSerialPort::portLost, [this] { end(ProbeOutcome::NotMeter); });
  }

  void start() {
    if (DeviceBusy(result_.path)) return end(ProbeOutcome::Busy);
    model_.flags.initialise(1);
    const std::string error = StartupPortSteps(model_, port_);
    if (!port_.isOpen()) {
      result_.reason = error.empty() ? port_.lastError() : error;
      return end(ProbeOutcome::CannotOpen);
    }
    listen_.start(kProbeListenMs);
  }

 private:
  void onReceive() {
    if (done_) return;
    const auto block = ReceiveBlock(port_);
    if (!block) return;
    const Decoded frame = IngestBlock(model_, *block, std::time(nullptr), NullObserver());
    // A reading the program would count, not merely bytes that happen to decode.
    if (std::holds_alternative<Reading>(frame) && model_.run.phase == RunPhase::Monitoring)
      end(ProbeOutcome::Meter);
  }

  void end(ProbeOutcome outcome) {
    if (done_) return;
    done_ = true;
    listen_.stop();
    result_.outcome = outcome;
    if (outcome == ProbeOutcome::Meter) CloseSequencePortSteps(port_);
    CloseIfOpen(port_);
    // The owner may delete this probe: tell it once the port's own notification is over.
    QMetaObject::invokeMethod(&owner_, [o = &owner_] { o->deviceDone(); }, Qt::QueuedConnection);
  }

  ProbeResult& result_;
  MeterProbe& owner_;
  AppModel model_;
  QtSerialPort port_;
  QTimer listen_;
  bool done_ = false;
};

MeterProbe::MeterProbe(QObject* parent) : QObject(parent) {}

MeterProbe::~MeterProbe() = default;

void MeterProbe::start(const std::vector<std::string>& paths) {
  probes_.clear();
  results_.assign(paths.size(), ProbeResult{});
  pending_ = static_cast<int>(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    results_[i].path = paths[i];
    probes_.push_back(std::make_unique<DeviceProbe>(results_[i], *this));
  }
  for (auto& probe : probes_) probe->start();
  if (paths.empty()) QMetaObject::invokeMethod(this, &MeterProbe::finished, Qt::QueuedConnection);
}

void MeterProbe::deviceDone() {
  if (pending_ > 0 && --pending_ == 0) emit finished();
}

std::vector<MeterChoice> MeterChoices(const std::vector<ProbeResult>& results,
                                      const std::map<std::string, std::string>& stableNames) {
  std::vector<MeterChoice> choices;
  for (const ProbeResult& r : results) {
    if (r.outcome != ProbeOutcome::Meter) continue;
    const std::string stable = StableNameOf(r.path, stableNames);
    choices.push_back({r.path, stable.empty() ? r.path : stable});
  }
  return choices;
}

std::string DescribeProbe(const ProbeResult& result) {
  switch (result.outcome) {
    case ProbeOutcome::Meter:
      return "meter";
    case ProbeOutcome::NotMeter:
      return "not a meter";
    case ProbeOutcome::Busy:
      return "busy";
    case ProbeOutcome::CannotOpen:
      return "cannot open: " + result.reason;
  }
  return {};
}

}  // namespace pv
