#include "tests/ui/support/RecordingServices.h"

#include <QApplication>
#include <QWidget>
#include <memory>

namespace vellomar::test {

std::vector<std::string> shownWindowTitles() {
  std::vector<std::string> titles;
  for (const QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) titles.push_back(w->windowTitle().toStdString());
  return titles;
}

namespace {

BoxResult firstButton(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOk:
    case BoxButtons::kOkCancel:
      return BoxResult::kOk;
    case BoxButtons::kRetryCancel:
      // Unasked, a box never retries: the retried step would meet the same box again.
      return BoxResult::kCancel;
    default:
      return BoxResult::kYes;
  }
}

class RecordingMessages : public MessageService {
 public:
  BoxResult show(std::string_view caption, std::string_view text, BoxIcon icon,
                 BoxButtons buttons) override {
    Recorder& r = recorder();
    r.boxes.push_back(
        {std::string(caption), std::string(text), icon, buttons, shownWindowTitles()});
    if (r.answers.empty()) return firstButton(buttons);
    const BoxResult answer = r.answers.front();
    r.answers.pop_front();
    return answer;
  }
};

class RecordingHelp : public HelpService {
 public:
  void showContents() override { recorder().helpContexts.push_back(0); }
  void showContext(int context) override { recorder().helpContexts.push_back(context); }
  void quit() override { ++recorder().helpQuits; }
};

class RecordingShell : public ShellService {
 public:
  bool openFile(const std::string& path) override {
    recorder().openedFiles.push_back(path);
    return true;
  }
};

class RecordingClipboard : public ClipboardService {
 public:
  void setText(const std::string& text) override { recorder().clipboard = text; }
  std::string text() override { return recorder().clipboard; }
};

class RecordingFileDialogs : public FileDialogService {
 public:
  std::string openFile(const FileDialogRequest& request) override { return answer(request); }
  std::string saveFile(const FileDialogRequest& request) override { return answer(request); }
  std::string chooseFolder(const std::string& title, const std::string& folder) override {
    FileDialogRequest request;
    request.title = title;
    request.folder = folder;
    return answer(request);
  }

 private:
  static std::string answer(const FileDialogRequest& request) {
    Recorder& r = recorder();
    r.fileDialogs.push_back(request);
    if (r.fileAnswers.empty()) return {};
    std::string name = r.fileAnswers.front();
    r.fileAnswers.pop_front();
    return name;
  }
};

}  // namespace

Recorder& recorder() {
  static Recorder r;
  return r;
}

void installRecordingServices() {
  Services s;
  s.messages = std::make_unique<RecordingMessages>();
  s.help = std::make_unique<RecordingHelp>();
  s.shell = std::make_unique<RecordingShell>();
  s.clipboard = std::make_unique<RecordingClipboard>();
  s.files = std::make_unique<RecordingFileDialogs>();
  installServices(std::move(s));
}

}  // namespace vellomar::test
