// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The configuration file as the main window keeps its choices in it: the port number
// and the device found for a port. The device that stands in for the configured port in
// this run only (the simulated meter of --demo) is never written: the next start without
// it would look for a device that is gone.
#include <string>

namespace pv {

class SettingsFile {
 public:
  explicit SettingsFile(std::string path, std::string runOnlyDevice = {});

  const std::string& path() const { return path_; }
  // "COM num"; the default when it is missing.
  int portNumber() const;
  // Each returns an error text, empty on success.
  std::string keepPortNumber(int port) const;
  // The [Ports] line of the port; the run-only device is left out, successfully.
  std::string keepPortDevice(int port, const std::string& device) const;
  bool isRunOnly(const std::string& device) const;

 private:
  std::string path_;
  std::string runOnlyDevice_;
};

}  // namespace pv
