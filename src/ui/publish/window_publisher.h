// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window publishes: its readings (every frame or each sample of a run), the
// run's start, progress, end and save on .../run, and a live hold test's result on
// .../holdtest. The publisher's thread does the network; here the messages are only
// made and handed over, so a broker away never holds up the panel or the chart. The
// status bar's pane shows the broker's state and the readings waiting for it.
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "link/frame.h"
#include "model_observer.h"
#include "publish/mqtt_publisher.h"
#include "publish/publish_payloads.h"
#include "ui/publish/publish_settings.h"

class QWidget;

namespace pv {
struct AppModel;
struct HoldOutcome;
struct HoldRecord;
}  // namespace pv

namespace pv::ui {

class WindowPublisher : public QObject {
  Q_OBJECT
 public:
  // configPath keeps the settings, read at once and applied by apply(settings()) once
  // problemTold is heard; meterName gives the meter's name for the default prefix when
  // publishing starts. The state pane is placed by the window.
  WindowPublisher(AppModel& model, std::string configPath, std::function<std::string()> meterName,
                  QObject* parent = nullptr);
  ~WindowPublisher() override;

  QLabel* statePane() const { return pane_; }
  const WindowPublishSettings& settings() const { return settings_; }
  // The publisher's state; Off when nothing is published.
  PublisherStatus status() const;

  // The Publish... dialog: the settings chosen are kept and take effect at once.
  void editSettings(QWidget* parent);
  // Publishes with these settings from now on (stopping any publisher before); false
  // with the reason told through problemTold when they cannot be used.
  bool apply(const WindowPublishSettings& settings);

  // The session's events.
  void frameReceived(const Decoded& frame);
  void runStarted();
  void sampleCommitted();
  void runStopped();  // Stop
  void runEndedBy(RunEnd cause);
  void runSaved(const std::string& file);
  // save, followed by runSaved with savedFile's answer whenever it wrote the run.
  std::function<bool()> announcingSaves(std::function<bool()> save, std::function<std::string()> savedFile);
  void holdTestEnded(const HoldOutcome& outcome, const HoldRecord& record);

 signals:
  // A sentence for the status bar: settings that cannot be used, a broker that refused us.
  void problemTold(const QString& text);
  // The pane shows a new state or count.
  void stateShown(const QString& text);

 private:
  void runEnded(const std::string& why);
  void publishRun(RunEvent event);
  void showState();
  void stopPublisher();

  AppModel& model_;
  std::string configPath_;
  std::function<std::string()> meterName_;
  WindowPublishSettings settings_;
  std::unique_ptr<MqttPublisher> publisher_;
  QPointer<QLabel> pane_;  // the status bar owns it once placed there
  QTimer refresh_;
  bool runGoing_ = false;
  PublisherState told_ = PublisherState::Off;
};

}  // namespace pv::ui
