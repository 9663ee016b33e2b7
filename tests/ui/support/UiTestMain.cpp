// The main of every window test program: one QApplication on the offscreen platform for all
// tests, the recording services installed, so no test shows a real box or needs a display.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/support/RecordingServices.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest's discovery at build time) needs no application.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vellomar::test::installRecordingServices();
  return RUN_ALL_TESTS();
}
