// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/publish/publish_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace pv::ui {

PublishDialog::PublishDialog(const WindowPublishSettings& s, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Publish"));
  enabled_ = new QCheckBox(QStringLiteral("&Publish to an MQTT broker"), this);
  enabled_->setChecked(s.enabled);
  broker_ = new QLineEdit(QString::fromStdString(s.brokerUrl), this);
  broker_->setPlaceholderText(QStringLiteral("mqtt://host:1883 or mqtts://host:8883"));
  topic_ = new QLineEdit(QString::fromStdString(s.topicPrefix), this);
  topic_->setPlaceholderText(QStringLiteral("pneuvista/<host name>/<meter>"));
  every_ = new QComboBox(this);
  every_->addItems({QStringLiteral("Every frame the meter sends"), QStringLiteral("Each sample of a run")});
  every_->setCurrentIndex(s.everySample ? 1 : 0);
  qos_ = new QComboBox(this);
  qos_->addItems({QStringLiteral("0 (at most once)"), QStringLiteral("1 (at least once)")});
  qos_->setCurrentIndex(s.qos);
  ca_ = fileEdit(QString::fromStdString(s.caFile), QStringLiteral("Certificate authority"));
  credentials_ = fileEdit(QString::fromStdString(s.credentialsFile), QStringLiteral("Credentials file"));
  credentials_->setPlaceholderText(QStringLiteral("none: PNEUVISTA_MQTT_USERNAME / _PASSWORD"));
  problem_ = new QLabel(this);
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #a00000"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Broker:"), broker_);
  form->addRow(QStringLiteral("&Topic prefix:"), topic_);
  form->addRow(QStringLiteral("&Readings:"), every_);
  form->addRow(QStringLiteral("&QoS of readings:"), qos_);
  form->addRow(QStringLiteral("TLS &CA file:"), ca_->parentWidget());
  form->addRow(QStringLiteral("C&redentials file:"), credentials_->parentWidget());
  auto* note = new QLabel(QStringLiteral("The credentials file holds the user name and the password, one a line, "
                                         "and only its owner may read it. No password is kept in the configuration."),
                          this);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PublishDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PublishDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(enabled_);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
  setMinimumWidth(460);
}

// A line for a file's path with a button that browses for it; the row's widget is the
// line's parent.
QLineEdit* PublishDialog::fileEdit(const QString& text, const QString& caption) {
  auto* row = new QWidget(this);
  auto* edit = new QLineEdit(text, row);
  auto* browse = new QToolButton(row);
  browse->setText(QStringLiteral("\u2026"));
  connect(browse, &QToolButton::clicked, this, [this, edit, caption] {
    const QString path = QFileDialog::getOpenFileName(this, caption, edit->text());
    if (!path.isEmpty()) edit->setText(path);
  });
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit, 1);
  layout->addWidget(browse);
  return edit;
}

WindowPublishSettings PublishDialog::settings() const {
  WindowPublishSettings s;
  s.enabled = enabled_->isChecked();
  s.brokerUrl = broker_->text().trimmed().toStdString();
  s.topicPrefix = topic_->text().trimmed().toStdString();
  s.everySample = every_->currentIndex() == 1;
  s.qos = qos_->currentIndex();
  s.caFile = ca_->text().trimmed().toStdString();
  s.credentialsFile = credentials_->text().trimmed().toStdString();
  return s;
}

void PublishDialog::accept() {
  const std::string problem = WindowPublishSettingsProblem(settings());
  problem_->setText(QString::fromStdString(problem));
  if (problem.empty()) QDialog::accept();
}

}  // namespace pv::ui
