// Test entry point: every test runs with a QApplication, as the program does.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/desktop/fonts.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time happens without a display. The variables are set here,
  // not as test properties: CMake splits a list of them at its semicolons.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The same texts and sorts whatever the machine's own locale.
  qputenv("LC_ALL", "C.UTF-8");
  QApplication app(argc, argv);
  ark::desktop::useFontSubstitutes();
  return RUN_ALL_TESTS();
}
