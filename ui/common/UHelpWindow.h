#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <memory>
#include <string>

#include "ui/common/UServices.h"

namespace vellomar {

// The help file: one HTML document in the program folder, its contents first, then a section
// per context number that the windows pass, each under the anchor "context-<number>".
inline constexpr const char* kHelpFileName = "Vellomar.hlp";

// The anchor of a context number, or empty (the contents) when the document has none for it.
std::string helpAnchor(const std::string& html, int context);

// The window that shows the help file, scrolled to a topic.
class HelpWindow : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HelpWindow(const std::string& helpFile);
  void showTopic(int context);  // 0 or an unknown number shows the contents

 protected:
  // A top-level window of its own: Escape closes it, as it closes the program's dialogs.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::string html_;
};

// The help service over one HelpWindow, made at the first call, closed by quit().
std::unique_ptr<HelpService> makeHelpWindowService();

}  // namespace vellomar
