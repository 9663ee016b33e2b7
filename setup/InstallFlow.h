#pragma once

#include <string>
#include <string_view>

#include "setup/Extract.h"
#include "setup/InstallRegistry.h"
#include "setup/MessageService.h"

namespace vellomar::setup {

constexpr char kDataFileName[] = "Vlmrar32.dat";
constexpr char kInstallCaption[] = "Vellomar Installation";
constexpr int kHelpContextInstalled = 1000;

// What the install flow needs of its dialog besides the reader's progress and questions.
class InstallForm : public InstallProgress {
 public:
  // Only the progress controls and Cancel stay usable from here on.
  virtual void showProgressControls() = 0;
  virtual void openHelp(const std::string& helpFile, int context) = 0;
};

// $HOME/Vellomar/ when the program is there; else the folder an earlier installation recorded;
// else $HOME/Vellomar/. Always ends with "/".
std::string FindDefaultTargetDir();

// The target folder text made whole: a "/" added when missing, then absolute against the
// current folder, "." and ".." resolved.
std::string targetFolderOf(std::string_view text);

// The installation behind the dialog's Install button.
class InstallFlow {
 public:
  InstallFlow(InstallForm& form, MessageService& messages) : form_(form), messages_(messages) {}

  // Installs from programDir's data file into the folder the target text names. False when the
  // data file is missing and the user cancels, or when the text names no folder that can be
  // installed to (empty, blank, or holding a line break): the dialog stays as it was for
  // another try. True once the attempt has run, successfully or not, and the dialog is to close.
  // Every failure has been shown in its box; critical ones go through ShowCriticalErrorBox.
  bool ButtonInstallClick(const std::string& programDir, std::string_view targetText,
                          bool addToProgman);

 private:
  bool dataFilePresent(const std::string& dataFile);
  void install(const std::string& dataFile, const std::string& target, bool addToProgman);

  InstallForm& form_;
  MessageService& messages_;
  UninstallFolders folders_;
};

}  // namespace vellomar::setup
