#include <QApplication>

#include "ui/app/FMain.h"
#include "ui/common/UIniFile.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettings.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vellomar 5"));
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  vellomar::TMainForm mainForm(arguments);
  vellomar::TFormSettings settings(vellomar::configFilePath(vellomar::kProgramIniName), &mainForm);
  mainForm.show();
  return QApplication::exec();
}
