#include "tests/ui/support/HelpKeys.h"

#include <QDialog>
#include <QTest>

#include "tests/ui/support/RecordingServices.h"

namespace vellomar::test {

std::vector<int> helpOpenedByF1(std::initializer_list<F1Press> presses) {
  recorder().helpContexts.clear();
  for (const F1Press& press : presses) {
    press.dialog->show();
    QTest::keyClick(press.at, Qt::Key_F1);
    press.dialog->hide();
  }
  return recorder().helpContexts;
}

}  // namespace vellomar::test
