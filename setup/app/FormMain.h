#pragma once

#include <QDialog>
#include <string>

#include "setup/InstallFlow.h"
#include "setup/app/SetupServices.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vellomar::setup {

// The one window of Setup: the target folder, the menu check box, Install and Exit; during the
// installation the progress text and gauge with Cancel. It closes after one installation
// attempt, which ends the program.
class TFormMain : public QDialog, public InstallForm {
  Q_OBJECT
 public:
  // programDir: the folder whose data file is installed, ending with "/".
  TFormMain(SetupServices& services, std::string programDir);
  ~TFormMain() override;

  QLineEdit* EditTargetDir;
  QPushButton* ButtonBrowse;
  QCheckBox* CheckBoxAddToProgman;
  QProgressBar* GaugeProgress;
  QLabel* LabelProgress;
  QLabel* Image1;
  QPushButton* ButtonInstall;
  QPushButton* ButtonExit;
  QPushButton* ButtonAbort;

  void setProgressLabel(const std::string& text) override;
  void setGauge(int percent) override;
  bool abortRequested() override { return abort_; }
  InstallAnswer ask(const std::string& caption, const std::string& text) override;
  void showProgressControls() override;
  void openHelp(const std::string& helpFile, int context) override;

 signals:
  // Each new progress text, so a test can act during the installation.
  void progressTextShown(const QString& text);

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ButtonBrowseClick();
  void ButtonInstallClick();
  void ButtonAbortClick() { abort_ = true; }
  void ButtonExitClick() { close(); }

  SetupServices& services_;
  std::string programDir_;
  InstallFlow flow_;
  bool abort_ = false;
  bool installing_ = false;
};

}  // namespace vellomar::setup
