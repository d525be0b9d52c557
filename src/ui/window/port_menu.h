// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The COM Port menu: the four numbered ports with the device each stands for, Other COM,
// and Find meter, which probes the serial devices for the meter and makes the one chosen
// the current port's device.
#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/settings_file.h"
#include "ui/common/ui_constants.h"

class QAction;
class QMenu;

namespace pv {
struct AppModel;
class MeterProbe;
class ModelObserver;
class SerialPort;
}  // namespace pv

namespace pv::ui {

struct UserPrompts;

// Where Find meter looks besides the devices the system lists; tests point it at a
// simulated meter.
struct MeterSearch {
  std::string stableFolder = "/dev/serial/by-id";
  std::vector<std::string> extraPaths;
};

class PortMenu : public QObject {
  Q_OBJECT
 public:
  // Fills menu. pathOf names the device of a port number; prompts asks for the other
  // port's number and for the meter to use.
  PortMenu(QMenu* menu, AppModel& model, SerialPort& port, ModelObserver& observer, const SettingsFile& settings,
           std::function<std::string(int)> pathOf, const UserPrompts& prompts, MeterSearch search, QObject* parent);
  ~PortMenu() override;

  // COM1..COM4 and Other COM; null for other commands.
  QAction* action(WindowCommand command) const;
  // Enabling and radio marks as the model has them.
  void updateStates();
  // The device of a port number as the menus show it.
  std::string devicePath(int number) const { return pathOf_(number); }

 signals:
  // A port step's error (empty: none) for the status bar.
  void portReported(const std::string& error);
  // Find meter started listening, or ended.
  void searchChanged(bool searching);

 private:
  void choosePort(int k);
  void chooseOtherPort();
  void findMeter();
  void meterProbeDone();
  void reopenCurrentPort();
  void refreshCaptions();
  // The device the program holds with a meter answering on it; empty when there is none.
  std::string answeringDevice() const;

  AppModel& model_;
  SerialPort& port_;
  ModelObserver& observer_;
  const SettingsFile& settings_;
  std::function<std::string(int)> pathOf_;
  const UserPrompts& prompts_;
  MeterSearch search_;
  std::map<WindowCommand, QAction*> actions_;
  MeterProbe* probe_ = nullptr;  // while Find meter listens
  std::string heldDevice_;       // the device kept open during the search, if any
};

}  // namespace pv::ui
