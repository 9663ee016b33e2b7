#include <QApplication>

#include "foundation/UIniFile.h"
#include "ui/app/FMain.h"
#include "ui/app/UCommandLine.h"
#include "ui/app/UQuitSignal.h"
#include "ui/search/FSearchCommands.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettings.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vellomar 5"));
  // argv as the application object left it: Qt's own options are out, the bytes untouched.
  QStringList arguments;
  for (const std::string& parameter : vellomar::programParameters(argc, argv)) {
    arguments.append(QString::fromStdString(parameter));
  }
  // The frame first, then the settings that every later window reads; the start-up itself
  // waits for the first idle pass.
  vellomar::TMainForm mainForm(arguments);
  vellomar::TFormSettings settings(vellomar::configFilePath(vellomar::kProgramIniName), &mainForm);
  vellomar::TSearchDialogs searchDialogs(&mainForm);
  vellomar::QuitSignal quit;
  QObject::connect(&quit, &vellomar::QuitSignal::quitRequested, &mainForm, &QWidget::close);
  mainForm.show();
  return QApplication::exec();
}
