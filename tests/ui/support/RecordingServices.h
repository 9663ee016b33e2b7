#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/common/UServices.h"

namespace vellomar::test {

// One message box a window would have shown.
struct RecordedBox {
  std::string caption;
  std::string text;
  BoxIcon icon;
  BoxButtons buttons;
  std::vector<std::string> windowsShown;  // the titles of the windows on the screen then
};

// The services of the window tests: boxes, help calls, opened files and the clipboard are
// recorded, never shown; a box answers from a queue of answers (its first button when empty).
struct Recorder {
  std::vector<RecordedBox> boxes;
  std::deque<BoxResult> answers;
  std::vector<int> helpContexts;  // 0 for the contents
  int helpQuits = 0;
  std::vector<std::string> openedFiles;
  std::string clipboard;
  std::vector<FileDialogRequest> fileDialogs;
  std::deque<std::string> fileAnswers;  // empty: the dialog was cancelled

  void clear() { *this = Recorder(); }
};

// The titles of the top-level windows shown now.
std::vector<std::string> shownWindowTitles();

// The recorder of the run; cleared by each test that reads it.
Recorder& recorder();
// Installs the recording services (done once by the test main).
void installRecordingServices();

}  // namespace vellomar::test
