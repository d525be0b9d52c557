// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/port_menu.h"

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "app_model.h"
#include "link/link.h"
#include "link/port_commands.h"
#include "platform/meter_probe.h"
#include "ui/window/dialogs.h"

namespace pv::ui {
namespace {

bool SameDevice(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

QString ChoiceText(const MeterChoice& m) {
  if (m.name == m.device) return QString::fromStdString(m.device);
  return QStringLiteral("%1  (%2)").arg(QString::fromStdString(m.name), QString::fromStdString(m.device));
}

}  // namespace

PortMenu::PortMenu(QMenu* menu, AppModel& model, SerialPort& port, ModelObserver& observer,
                   const SettingsFile& settings, std::function<std::string(int)> pathOf, const UserPrompts& prompts,
                   MeterSearch search, QObject* parent)
    : QObject(parent),
      model_(model),
      port_(port),
      observer_(observer),
      settings_(settings),
      pathOf_(std::move(pathOf)),
      prompts_(prompts),
      search_(std::move(search)) {
  for (int k = 1; k <= 4; ++k) {
    QAction* a = menu->addAction(QStringLiteral("&COM%1").arg(k), this, [this, k] { choosePort(k); });
    a->setCheckable(true);
    actions_[PortCommand(k)] = a;
  }
  QAction* other = menu->addAction(QStringLiteral("&Other COM"), this, &PortMenu::chooseOtherPort);
  other->setStatusTip(QStringLiteral("Other comports"));
  actions_[WindowCommand::OtherPort] = other;
  menu->addSeparator();
  menu->addAction(QStringLiteral("&Find meter\u2026"), this, &PortMenu::findMeter)
      ->setStatusTip(QStringLiteral("Look for the meter on every serial device"));
  connect(menu, &QMenu::aboutToShow, this, &PortMenu::refreshCaptions);
  refreshCaptions();
}

PortMenu::~PortMenu() = default;

QAction* PortMenu::action(WindowCommand command) const {
  auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void PortMenu::updateStates() {
  for (int k = 0; k < 4; ++k) {
    action(PortCommand(k + 1))->setEnabled(model_.flags.portMenuEnabled[k]);
    action(PortCommand(k + 1))->setChecked(model_.flags.portChecked[k]);
  }
  action(WindowCommand::OtherPort)->setEnabled(model_.flags.portMenuEnabled[4]);
}

void PortMenu::refreshCaptions() {
  // The device each number stands for, beside the caption in the shortcut column.
  for (int k = 1; k <= 4; ++k) {
    actions_[PortCommand(k)]->setText(
        QStringLiteral("&COM%1\t%2").arg(k).arg(QString::fromStdString(devicePath(k))));
  }
  const int n = model_.flags.portNumber;
  QString other = QStringLiteral("&Other COM");
  if (n >= kOtherComMin) other += QStringLiteral("\tCOM%1 %2").arg(n).arg(QString::fromStdString(devicePath(n)));
  actions_[WindowCommand::OtherPort]->setText(other);
}

void PortMenu::choosePort(int k) {
  emit portReported(ChoosePort(model_, port_, k, observer_));
  refreshCaptions();
  updateStates();
}

void PortMenu::chooseOtherPort() {
  int n = 0;
  if (!prompts_.askPortNumber(OtherPortDialogPreset(model_), &n)) {
    updateStates();
    return;
  }
  std::string error;
  if (ChooseOtherPort(model_, port_, n, observer_, &error)) emit portReported(error);
  refreshCaptions();
  updateStates();
}

std::string PortMenu::answeringDevice() const {
  const bool answering = model_.run.phase != RunPhase::Idle;
  return port_.isOpen() && answering ? devicePath(model_.flags.portNumber) : std::string();
}

// The probe runs on the event loop, so the window stays usable while it listens.
void PortMenu::findMeter() {
  if (probe_) return;
  const std::string current = devicePath(model_.flags.portNumber);
  // A meter answering on the program's own port is known to be one, and greeting it
  // would end with a goodbye that stops it and the run. A silent device is let go so
  // that it can be probed as well.
  heldDevice_ = answeringDevice();
  if (heldDevice_.empty()) CloseIfOpen(port_);
  std::vector<std::string> extra = search_.extraPaths;
  extra.push_back(current);
  std::vector<std::string> paths;
  for (const SerialDevice& d : ListSerialDevices(extra, search_.stableFolder))
    if (!SameDevice(d.path, heldDevice_)) paths.push_back(d.path);
  probe_ = new MeterProbe(this);
  connect(probe_, &MeterProbe::finished, this, &PortMenu::meterProbeDone);
  emit searchChanged(true);
  probe_->start(paths);
}

void PortMenu::meterProbeDone() {
  std::vector<ProbeResult> results = probe_->results();
  probe_->deleteLater();
  probe_ = nullptr;
  emit searchChanged(false);
  if (!heldDevice_.empty()) results.insert(results.begin(), ProbeResult{heldDevice_, ProbeOutcome::Meter, {}});
  const std::vector<MeterChoice> meters = MeterChoices(results, StableNames(search_.stableFolder));
  QStringList items;
  for (const MeterChoice& m : meters) items << ChoiceText(m);
  const int chosen = prompts_.askMeter(items);
  const bool choiceMade = chosen >= 0 && chosen < static_cast<int>(meters.size());
  if (choiceMade) {
    const std::string error = settings_.keepPortDevice(model_.flags.portNumber, meters[chosen].name);
    if (!error.empty()) emit portReported(error);
  }
  // The meter the program holds goes on as it is; else the current port opens again.
  const bool keepHeld = !heldDevice_.empty() && (!choiceMade || SameDevice(meters[chosen].device, heldDevice_));
  heldDevice_.clear();
  if (!keepHeld) reopenCurrentPort();
}

// The current port opened again: on the meter chosen, or on the device it had.
void PortMenu::reopenCurrentPort() {
  const int n = model_.flags.portNumber;
  if (n < kOtherComMin) return choosePort(n);
  std::string error;
  if (ChooseOtherPort(model_, port_, n, observer_, &error)) emit portReported(error);
  refreshCaptions();
  updateStates();
}

}  // namespace pv::ui
