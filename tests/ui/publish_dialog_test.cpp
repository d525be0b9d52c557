// SPDX-License-Identifier: GPL-3.0-or-later
// The Publish dialog: settings that cannot be used keep it open with the reason shown,
// and the settings it gives are kept in the configuration file and read back whole,
// beside the file's other lines.
#include "ui/publish/publish_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

namespace pv::ui {
namespace {

TEST(PublishDialog, RefusesSettingsThatCannotBeUsedAndSaysWhy) {
  struct Case {
    const char* broker;
    const char* topic;
    const char* ca;
    bool accepted;
  };
  const Case cases[] = {
      {"mqtt://broker.lab:1883", "", "", true},
      {"mqtts://broker.lab", "lab/bench-4", "/etc/ssl/ca.pem", true},
      {"http://broker.lab", "", "", false},
      {"mqtt://broker.lab", "lab/#", "", false},
      {"mqtt://broker.lab", "", "/etc/ssl/ca.pem", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.broker) + " " + c.topic + " " + c.ca);
    WindowPublishSettings s;
    s.enabled = true;
    s.brokerUrl = c.broker;
    s.topicPrefix = c.topic;
    s.caFile = c.ca;
    PublishDialog dialog(s);
    dialog.accept();
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
    EXPECT_EQ(dialog.problemLabel()->text().isEmpty(), c.accepted);
  }
}

TEST(PublishDialog, SettingsAreKeptBesideTheFilesOtherLines) {
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/c.ini").toStdString();
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[COMInfo]\r\nCOM num=3\r\n");
  f.close();
  WindowPublishSettings s{true, "mqtts://broker.lab:8884", "lab/b4", true, 1, "/etc/ca.pem", "/home/u/.mqtt"};
  ASSERT_EQ(WriteWindowPublishSettings(path, s), "");
  EXPECT_EQ(ReadWindowPublishSettings(path), s);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("[COMInfo]\r\nCOM num=3\r\n"));
}

}  // namespace
}  // namespace pv::ui
