#pragma once

#include <string>

class QWidget;

namespace vellomar::test {

// Saves a PNG of the window as DIR/<name>.png when VELLOMAR_SCREENSHOTS=DIR is set, so a
// reviewer can see every window the tests show; does nothing otherwise.
void saveScreenshot(QWidget* window, const std::string& name);

}  // namespace vellomar::test
