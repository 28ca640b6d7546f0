// SPDX-License-Identifier: GPL-3.0-or-later
// One application object for every window test (the window and start-up rooms), made
// before GoogleTest runs. Without a display the tests draw off-screen.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
