// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/publish/window_publisher.h"

#include <QLabel>
#include <QMetaObject>
#include <chrono>
#include <nlohmann/json.hpp>

#include "app_model.h"
#include "files/sample_rows.h"
#include "holdtest/hold_record.h"
#include "link/stream_line.h"
#include "ui/publish/publish_dialog.h"

namespace pv::ui {
namespace {

// The waiting count changes with every reading; the pane follows it this often rather
// than at every frame.
constexpr int kPaneRefreshMs = 500;

std::string Now() { return IsoLocalTime(std::chrono::system_clock::now()); }

}  // namespace

WindowPublisher::WindowPublisher(AppModel& model, std::string configPath, std::function<std::string()> meterName,
                                 QObject* parent)
    : QObject(parent),
      model_(model),
      configPath_(std::move(configPath)),
      meterName_(std::move(meterName)),
      pane_(new QLabel) {
  pane_->setObjectName(QStringLiteral("PublishState"));
  pane_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  refresh_.setInterval(kPaneRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &WindowPublisher::showState);
  settings_ = ReadWindowPublishSettings(configPath_);
  showState();
}

WindowPublisher::~WindowPublisher() {
  stopPublisher();
  if (pane_ && !pane_->parent()) delete pane_;
}

void WindowPublisher::stopPublisher() {
  if (!publisher_) return;
  // What waits gets a moment to go, and the broker hears "offline" from us rather than
  // from the will.
  publisher_->stop(1000);
  publisher_.reset();
  refresh_.stop();
}

PublisherStatus WindowPublisher::status() const { return publisher_ ? publisher_->status() : PublisherStatus{}; }

void WindowPublisher::editSettings(QWidget* parent) {
  PublishDialog dialog(settings_, parent);
  if (dialog.exec() != QDialog::Accepted) return;
  const WindowPublishSettings chosen = dialog.settings();
  if (const std::string error = WriteWindowPublishSettings(configPath_, chosen); !error.empty())
    emit problemTold(QString::fromStdString(error));
  apply(chosen);
}

bool WindowPublisher::apply(const WindowPublishSettings& settings) {
  stopPublisher();
  settings_ = settings;
  told_ = PublisherState::Off;
  if (!settings.enabled) {
    showState();
    return true;
  }
  std::string problem;
  auto publisherSettings = PublisherSettingsFor(settings, meterName_(), &problem);
  if (!publisherSettings) {
    emit problemTold(QStringLiteral("MQTT: %1; nothing is published").arg(QString::fromStdString(problem)));
    showState();
    return false;
  }
  // The listener runs on the publisher's thread: the pane is redrawn from the event loop.
  publisher_ = std::make_unique<MqttPublisher>(std::move(*publisherSettings), [this](const PublisherStatus&) {
    QMetaObject::invokeMethod(this, &WindowPublisher::showState, Qt::QueuedConnection);
  });
  publisher_->start();
  refresh_.start();
  showState();
  return true;
}

void WindowPublisher::showState() {
  const PublisherStatus s = status();
  QString text = QStringLiteral("MQTT: %1").arg(QString::fromLatin1(PublisherStateName(s.state)));
  if (publisher_) text += QStringLiteral(", %1 waiting").arg(s.waiting);
  if (s.dropped > 0) text += QStringLiteral(", %1 dropped").arg(s.dropped);
  if (!pane_) return;
  pane_->setToolTip(QString::fromStdString(s.message));
  if (s.state == PublisherState::Refused && told_ != PublisherState::Refused)
    emit problemTold(QStringLiteral("MQTT: %1; publishing stopped, the readings go on")
                         .arg(QString::fromStdString(s.message)));
  told_ = s.state;
  if (text == pane_->text()) return;
  pane_->setText(text);
  emit stateShown(text);
}

void WindowPublisher::frameReceived(const Decoded& frame) {
  if (!publisher_ || settings_.everySample) return;
  if (const auto reading = StreamReadingOf(model_, frame))
    publisher_->publish({publisher_->settings().topics.reading(), ReadingPayload(*reading, Now()), settings_.qos, false});
}

void WindowPublisher::runStarted() {
  runGoing_ = true;
  RunEvent event;
  event.kind = RunEventKind::Started;
  event.intervalSeconds = model_.run.intervalSeconds();
  publishRun(event);
}

void WindowPublisher::sampleCommitted() {
  if (!publisher_) return;
  const int count = model_.store.sampleCount;
  if (settings_.everySample && count > 0)
    publisher_->publish({publisher_->settings().topics.reading(),
                         ReadingPayload(SampleReading(LiveRunRows(model_).row(count - 1)), Now()), settings_.qos,
                         false});
  if (IsProgressSample(count)) {
    RunEvent event;
    event.kind = RunEventKind::Progress;
    event.samples = count;
    publishRun(event);
  }
}

// The words of `pneuvista-cli record` for the same ends.
void WindowPublisher::runStopped() { runEnded("stopped on request"); }

void WindowPublisher::runEndedBy(RunEnd cause) {
  runEnded(cause == RunEnd::StoreFull ? "the store is full (" + std::to_string(kMaxSamples) + " samples)"
                                      : "the meter stopped answering");
}

void WindowPublisher::runEnded(const std::string& why) {
  if (!runGoing_) return;
  runGoing_ = false;
  RunEvent event;
  event.kind = RunEventKind::Ended;
  event.samples = model_.store.sampleCount;
  event.why = why;
  publishRun(event);
}

void WindowPublisher::runSaved(const std::string& file) {
  RunEvent event;
  event.kind = RunEventKind::Saved;
  event.samples = model_.store.sampleCount;
  event.file = file;
  publishRun(event);
}

std::function<bool()> WindowPublisher::announcingSaves(std::function<bool()> save,
                                                      std::function<std::string()> savedFile) {
  return [this, save = std::move(save), savedFile = std::move(savedFile)] {
    const bool saved = save();
    if (saved) runSaved(savedFile ? savedFile() : std::string());
    return saved;
  };
}

void WindowPublisher::holdTestEnded(const HoldOutcome& outcome, const HoldRecord& record) {
  if (!publisher_ || outcome.error != HoldError::None) return;
  // One line, as every other message: a subscriber that prints a message a line reads it whole.
  const std::string json = nlohmann::ordered_json::parse(HoldResultJson(outcome.result, &record))
                               .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  publisher_->publish({publisher_->settings().topics.holdTest(), json, 1, false});
}

void WindowPublisher::publishRun(RunEvent event) {
  if (!publisher_) return;
  event.time = Now();
  event.dropped = publisher_->status().dropped;
  publisher_->publish({publisher_->settings().topics.run(), RunPayload(event), 1, false});
}

}  // namespace pv::ui
