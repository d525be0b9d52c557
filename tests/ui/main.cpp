// SPDX-License-Identifier: GPL-3.0-or-later
// Widget tests run offscreen inside one QApplication.
#include <QApplication>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
  // The program's own file dialogs, which the tests answer like a user; the system's
  // dialogs are not widgets of this process.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  // Runs' journals of the windows under test, and of the programs they start, never
  // go into the user's own state folder.
  qputenv("XDG_STATE_HOME", PNEUVISTA_TEST_STATE_HOME);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
