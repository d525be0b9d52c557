// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File > Publish...: where the bench's readings, runs and hold tests go on an MQTT
// broker. It refuses settings that cannot be used and says why in the dialog itself.
#include <QDialog>

#include "ui/publish/publish_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace pv::ui {

class PublishDialog : public QDialog {
  Q_OBJECT
 public:
  PublishDialog(const WindowPublishSettings& settings, QWidget* parent = nullptr);

  WindowPublishSettings settings() const;
  void accept() override;

  // The controls, for tests.
  QCheckBox* enabledBox() const { return enabled_; }
  QLineEdit* brokerEdit() const { return broker_; }
  QLineEdit* topicEdit() const { return topic_; }
  QComboBox* everyBox() const { return every_; }
  QLabel* problemLabel() const { return problem_; }

 private:
  QLineEdit* fileEdit(const QString& text, const QString& caption);

  QCheckBox* enabled_;
  QLineEdit* broker_;
  QLineEdit* topic_;
  QComboBox* every_;
  QComboBox* qos_;
  QLineEdit* ca_;
  QLineEdit* credentials_;
  QLabel* problem_;
};

}  // namespace pv::ui
