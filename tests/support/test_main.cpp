// Test entry point: every test runs with a QApplication, as the program does.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/desktop/fonts.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time happens without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ark::desktop::useFontSubstitutes();
  return RUN_ALL_TESTS();
}
