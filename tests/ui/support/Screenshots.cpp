#include "tests/ui/support/Screenshots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace vellomar::test {

void saveScreenshot(QWidget* window, const std::string& name) {
  const QString dir = qEnvironmentVariable("VELLOMAR_SCREENSHOTS");
  if (dir.isEmpty() || window == nullptr) return;
  QDir().mkpath(dir);
  window->grab().save(dir + "/" + QString::fromStdString(name) + ".png");
}

}  // namespace vellomar::test
