#include "ui/common/UHelpWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <fstream>
#include <iterator>
#include <optional>

#include "ui/common/UWindowPlacement.h"

namespace vellomar {

std::string helpAnchor(const std::string& html, int context) {
  if (context == 0) return {};
  const std::string anchor = "context-" + std::to_string(context);
  if (html.find("id=\"" + anchor + "\"") == std::string::npos &&
      html.find("name=\"" + anchor + "\"") == std::string::npos)
    return {};
  return anchor;
}

HelpWindow::HelpWindow(const std::string& helpFile) {
  setWindowTitle(QStringLiteral("Vellomar Help"));
  setAttribute(Qt::WA_DeleteOnClose);
  setOpenExternalLinks(true);
  resize(640, 560);
  std::ifstream in(helpFile, std::ios::binary);
  html_.assign(std::istreambuf_iterator<char>(in), {});
  if (html_.empty())
    html_ = "<html><body><p>The help file " + helpFile + " is missing.</p></body></html>";
  setHtml(QString::fromStdString(html_));
}

void HelpWindow::showTopic(int context) {
  const std::string anchor = helpAnchor(html_, context);
  if (anchor.empty())
    verticalScrollBar()->setValue(0);
  else
    scrollToAnchor(QString::fromStdString(anchor));
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QTextBrowser::keyPressEvent(event);
}

namespace {

class HelpWindowService : public HelpService {
 public:
  void showContents() override { showContext(0); }
  void showContext(int context) override {
    // Asked for from a modal dialog, the window belongs to that dialog: the dialog's modal
    // state does not block it, and the window manager keeps it above the dialog.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == window_) owner = nullptr;
    std::optional<QRect> frame;
    if (window_ && window_->parentWidget() != owner) {
      // A window does not change its owner in place: it is made anew where it was.
      frame = frameBounds(window_);
      delete window_.data();
    }
    if (!window_) {
      window_ = new HelpWindow(QCoreApplication::applicationDirPath().toStdString() + "/" +
                               kHelpFileName);
      window_->setParent(owner, Qt::Window);
      setFrameBounds(window_, frame.value_or(centredBounds(window_->size(), screenArea())));
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    window_->showTopic(context);
  }
  void quit() override {
    if (window_) window_->close();
  }

 private:
  QPointer<HelpWindow> window_;
};

}  // namespace

std::unique_ptr<HelpService> makeHelpWindowService() {
  return std::make_unique<HelpWindowService>();
}

}  // namespace vellomar
