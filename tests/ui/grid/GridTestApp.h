#pragma once

#include <QApplication>

#include <gtest/gtest.h>

namespace vellomar::test {

// The one application object of a widget test program, on the offscreen platform.
inline QApplication& widgetApp() {
  static int argc = 1;
  static char name[] = "tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Base of a widget test fixture: the application exists before any member widget.
class WidgetTest : public ::testing::Test {
 protected:
  WidgetTest() { widgetApp(); }
};

}  // namespace vellomar::test
