// SPDX-License-Identifier: GPL-3.0-or-later
// The platform tests need a Qt event loop for the serial port and the simulator.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
