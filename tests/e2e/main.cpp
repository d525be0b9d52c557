// End-to-end tests drive the real binaries and the simulated meter inside one event loop.
#include <QCoreApplication>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
