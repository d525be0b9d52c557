// SPDX-License-Identifier: GPL-3.0-or-later
// End-to-end tests drive the real binaries, and the windows in this process, against
// the simulated meter inside one event loop.
#include <QApplication>
#include <clocale>
#include <gtest/gtest.h>

#include "ui/app/meter_app.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Runs' journals of the windows under test, and of the programs they start, never
  // go into the user's own state folder.
  qputenv("XDG_STATE_HOME", PNEUVISTA_TEST_STATE_HOME);
  pv::ui::PreferQtEventDispatcher();
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
