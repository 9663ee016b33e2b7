#pragma once

#include <memory>
#include <string>
#include <string_view>

class QWidget;

namespace vellomar {

// The few things a window asks of the desktop, behind interfaces so that tests record them
// instead of blocking on a modal box or touching the real clipboard. Windows reach them only
// through services().

enum class BoxIcon { kNone, kInformation, kExclamation, kError, kQuestion };
enum class BoxButtons { kOk, kOkCancel, kYesNo, kYesNoCancel, kRetryCancel };
enum class BoxResult { kOk, kCancel, kYes, kNo, kRetry };

// Modal message boxes. The texts are the system's own; a "\r\n" in them is a line break.
class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual BoxResult show(std::string_view caption, std::string_view text, BoxIcon icon,
                         BoxButtons buttons = BoxButtons::kOk) = 0;
};

// The program's help file: contents, a topic by context number, and the end of the run.
class HelpService {
 public:
  virtual ~HelpService() = default;
  virtual void showContents() = 0;
  virtual void showContext(int context) = 0;
  virtual void quit() = 0;
};

// Opening a file with the desktop's program for it; false when nothing could open it.
class ShellService {
 public:
  virtual ~ShellService() = default;
  virtual bool openFile(const std::string& path) = 0;
};

class ClipboardService {
 public:
  virtual ~ClipboardService() = default;
  virtual void setText(const std::string& text) = 0;
  virtual std::string text() = 0;
};

// The file dialogs: the chosen file, or empty when the user cancelled. filter is in Qt's form
// ("Vellomar Database (*.kvd *.KVD)"), one filter per ";;".
struct FileDialogRequest {
  std::string title;
  std::string folder;    // where the dialog starts
  std::string fileName;  // proposed name
  std::string filter;
  std::string defaultSuffix;  // added to a name typed without one ("kvd")
  bool mustExist = false;     // open dialog: the file must exist
  bool overwritePrompt = false;
};

class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  virtual std::string openFile(const FileDialogRequest& request) = 0;
  virtual std::string saveFile(const FileDialogRequest& request) = 0;
  virtual std::string chooseFolder(const std::string& title, const std::string& folder) = 0;
};

struct Services {
  std::unique_ptr<MessageService> messages;
  std::unique_ptr<HelpService> help;
  std::unique_ptr<ShellService> shell;
  std::unique_ptr<ClipboardService> clipboard;
  std::unique_ptr<FileDialogService> files;
};

// The desktop's own message boxes, modal over the window in front.
std::unique_ptr<MessageService> makeDesktopMessages();

// The services of the run: the desktop's own until replaced.
Services& services();
// Replaces them (a null one keeps the present one) and routes the engine's error boxes
// (ShowErrorBox, ShowCriticalErrorBox) through the message service.
void installServices(Services replacement);
// Routes the engine's error boxes through the message service of the run. The frame does it
// first of all, since a catalogue opened at start-up reports before any window asks for a
// service.
void routeEngineBoxes();

// A message box text as a box shows it: "\r\n" becomes "\n".
std::string boxText(std::string_view text);

// Shortcuts for the boxes every window shows.
void showErrorMessage(std::string_view caption, std::string_view text);
void showExclamation(std::string_view caption, std::string_view text);

}  // namespace vellomar
