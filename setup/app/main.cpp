// Setup: installs Vellomar from the data file beside it. No command-line options.
#include <QApplication>

#include "setup/Utils.h"
#include "setup/app/FormMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vellomar 5 Installation Program");
  const std::unique_ptr<vellomar::setup::SetupServices> services =
      vellomar::setup::makeDesktopServices();
  vellomar::setup::TFormMain form(*services, vellomar::setup::GetProgramDir());
  form.exec();
  return 0;
}
