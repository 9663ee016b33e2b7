#include "ui/common/UServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QUrl>

#include "foundation/UExceptions.h"
#include "ui/common/UHelpWindow.h"
#include "ui/common/UWindowPlacement.h"

namespace vellomar {

namespace {

QWidget* boxOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QString qs(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

class DesktopMessages : public MessageService {
 public:
  BoxResult show(std::string_view caption, std::string_view text, BoxIcon icon,
                 BoxButtons buttons) override {
    QMessageBox box(boxOwner());
    box.setWindowTitle(qs(std::string(caption)));
    box.setText(qs(boxText(text)));
    switch (icon) {
      case BoxIcon::kNone:
        break;
      case BoxIcon::kInformation:
        box.setIcon(QMessageBox::Information);
        break;
      case BoxIcon::kExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
      case BoxIcon::kError:
        box.setIcon(QMessageBox::Critical);
        break;
      case BoxIcon::kQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
      case BoxButtons::kOk:
        box.setStandardButtons(QMessageBox::Ok);
        break;
      case BoxButtons::kOkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
      case BoxButtons::kYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
      case BoxButtons::kYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
      case BoxButtons::kRetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    // A short text would leave the box too narrow for its caption.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
      grid->addItem(new QSpacerItem(titleBarWidth(&box), 0), grid->rowCount(), 0, 1,
                    grid->columnCount());
    switch (box.exec()) {
      case QMessageBox::Yes:
        return BoxResult::kYes;
      case QMessageBox::No:
        return BoxResult::kNo;
      case QMessageBox::Cancel:
        return BoxResult::kCancel;
      case QMessageBox::Retry:
        return BoxResult::kRetry;
      default:
        return BoxResult::kOk;
    }
  }
};

class DesktopShell : public ShellService {
 public:
  bool openFile(const std::string& path) override {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
  }
};

class DesktopClipboard : public ClipboardService {
 public:
  void setText(const std::string& text) override {
    QApplication::clipboard()->setText(QString::fromStdString(text));
  }
  std::string text() override { return QApplication::clipboard()->text().toStdString(); }
};

class DesktopFileDialogs : public FileDialogService {
 public:
  std::string openFile(const FileDialogRequest& r) override {
    QFileDialog dialog(boxOwner());
    configure(dialog, r);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    return run(dialog);
  }
  std::string saveFile(const FileDialogRequest& r) override {
    QFileDialog dialog(boxOwner());
    configure(dialog, r);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!r.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return run(dialog);
  }
  std::string chooseFolder(const std::string& title, const std::string& folder) override {
    return QFileDialog::getExistingDirectory(boxOwner(), qs(title), qs(folder)).toStdString();
  }

 private:
  static void configure(QFileDialog& dialog, const FileDialogRequest& r) {
    dialog.setWindowTitle(qs(r.title));
    // No folder yet (a first run): Qt's own start, the working folder, not the machine's root.
    if (!r.folder.empty()) dialog.setDirectory(qs(r.folder));
    dialog.setNameFilter(qs(r.filter));
    if (!r.defaultSuffix.empty()) dialog.setDefaultSuffix(qs(r.defaultSuffix));
    if (!r.fileName.empty()) dialog.selectFile(qs(r.fileName));
  }
  static std::string run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
  }
};

Services makeDesktopServices() {
  Services s;
  s.messages = makeDesktopMessages();
  s.help = makeHelpWindowService();
  s.shell = std::make_unique<DesktopShell>();
  s.clipboard = std::make_unique<DesktopClipboard>();
  s.files = std::make_unique<DesktopFileDialogs>();
  return s;
}

}  // namespace

void routeEngineBoxes() {
  SetMessageBoxHandler([](std::string_view caption, std::string_view text, MessageBoxIcon icon) {
    services().messages->show(
        caption, text, icon == MessageBoxIcon::kError ? BoxIcon::kError : BoxIcon::kExclamation);
  });
}

std::unique_ptr<MessageService> makeDesktopMessages() {
  return std::make_unique<DesktopMessages>();
}

Services& services() {
  static Services current = [] {
    Services s = makeDesktopServices();
    routeEngineBoxes();
    return s;
  }();
  return current;
}

void installServices(Services replacement) {
  Services& current = services();
  if (replacement.messages) current.messages = std::move(replacement.messages);
  if (replacement.help) current.help = std::move(replacement.help);
  if (replacement.shell) current.shell = std::move(replacement.shell);
  if (replacement.clipboard) current.clipboard = std::move(replacement.clipboard);
  if (replacement.files) current.files = std::move(replacement.files);
  routeEngineBoxes();
}

std::string boxText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

void showErrorMessage(std::string_view caption, std::string_view text) {
  services().messages->show(caption, text, BoxIcon::kError);
}

void showExclamation(std::string_view caption, std::string_view text) {
  services().messages->show(caption, text, BoxIcon::kExclamation);
}

}  // namespace vellomar
