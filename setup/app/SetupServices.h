#pragma once

#include <memory>
#include <optional>
#include <string>

#include "setup/MessageService.h"

class QWidget;

namespace vellomar::setup {

// What the install dialog asks of the desktop, behind one interface so the window tests answer
// instead of blocking on a modal box or a file dialog.
class SetupServices {
 public:
  virtual ~SetupServices() = default;
  virtual MessageService& messages() = 0;
  // The target folder's save dialog, opened on the proposed file; the chosen file, or none.
  virtual std::optional<std::string> chooseTargetFile(QWidget* parent,
                                                      const std::string& proposed) = 0;
  // Shows the installed help file at a context number; nothing when there is no such file.
  virtual void openHelp(const std::string& helpFile, int context) = 0;
};

// The real boxes, file dialog and help viewer of the desktop.
std::unique_ptr<SetupServices> makeDesktopServices();

}  // namespace vellomar::setup
