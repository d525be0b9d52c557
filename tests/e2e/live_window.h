// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window in this process against a simulated meter over a real
// pseudo-terminal whose device keeps one path across unplugging. Questions are
// answered No and the sample-rate dialog with 1 s unless a test says otherwise.
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app_model.h"
#include "platform/qt_serial_port.h"
#include "sim/pty_meter.h"
#include "ui/chart/chart_view.h"
#include "ui/app/meter_app.h"
#include "ui/window/main_window.h"
#include "ui/panel/front_panel.h"

namespace pv::e2e {

struct LiveWindow {
  QTemporaryDir dir;
  std::string link = (dir.path() + QStringLiteral("/meter")).toStdString();
  PtyMeter meter{link};
  AppModel model;
  std::unique_ptr<QtSerialPort> port;
  std::unique_ptr<ui::MainWindow> window;

  explicit LiveWindow(double framesPerSecond = 4) {
    meter.setFramesPerSecond(framesPerSecond);
    EXPECT_TRUE(meter.start()) << meter.errorString();
    auto path = [this](int) { return link; };
    port = std::make_unique<QtSerialPort>(path);
    ui::WindowServices services;
    services.prompts.askToSave = [](const QString&) { return SaveAnswer::DontSave; };
    services.prompts.askSampleRate = [](int, int* v) {
      *v = 1;
      return true;
    };
    services.pathOf = path;
    window = std::make_unique<ui::MainWindow>(model, *port, SettingsFile((dir.path() + QStringLiteral("/c.ini")).toStdString()),
                                             std::move(services));
    ui::ConnectPortToWindow(*port, *window);
    window->resize(1200, 800);
    window->show();
  }
  ~LiveWindow() {
    window.reset();
    port.reset();
  }
  QPushButton* key(Key k) { return window->view()->panel()->keyButton(k); }
  bool keyUsable(Key k) { return key(k)->isVisible() && key(k)->isEnabled(); }
  // The meter answers: the panel shows a whole reading and its keys work.
  bool linked() { return keyUsable(Key::Light) && model.panel.reading.size() == 6; }
};

}  // namespace pv::e2e
