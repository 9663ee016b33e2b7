#include "setup/app/SetupServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace vellomar::setup {

namespace {

class BoxMessages : public MessageService {
 public:
  MessageAnswer show(std::string_view caption, std::string_view text, MessageButtons buttons,
                     MessageIcon icon) override {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    box.setIcon(icon == MessageIcon::kError         ? QMessageBox::Critical
                : icon == MessageIcon::kExclamation ? QMessageBox::Warning
                                                    : QMessageBox::NoIcon);
    switch (buttons) {
      case MessageButtons::kOk:
        box.setStandardButtons(QMessageBox::Ok);
        break;
      case MessageButtons::kRetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
      case MessageButtons::kYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
      case QMessageBox::Retry:
        return MessageAnswer::kRetry;
      case QMessageBox::Yes:
        return MessageAnswer::kYes;
      case QMessageBox::No:
        return MessageAnswer::kNo;
      case QMessageBox::Ok:
        return MessageAnswer::kOk;
      default:
        return MessageAnswer::kCancel;
    }
  }
};

class DesktopServices : public SetupServices {
 public:
  MessageService& messages() override { return messages_; }

  std::optional<std::string> chooseTargetFile(QWidget* parent,
                                              const std::string& proposed) override {
    QFileDialog dialog(parent, "Vellomar target folder", QString::fromStdString(proposed),
                       "Executables (*.exe);;All files (*)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("exe");
    dialog.selectFile(QString::fromStdString(proposed));
    // The file is only a way to point at its folder; nothing is written to it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
  }

  // The help file is an HTML document whose topics are anchored "context-<number>"; the
  // desktop's browser shows it.
  void openHelp(const std::string& helpFile, int context) override {
    const QString file = QString::fromStdString(helpFile);
    if (!QFileInfo(file).isFile()) return;
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment("context-" + QString::number(context));
    QDesktopServices::openUrl(url);
  }

 private:
  BoxMessages messages_;
};

}  // namespace

std::unique_ptr<SetupServices> makeDesktopServices() {
  return std::make_unique<DesktopServices>();
}

}  // namespace vellomar::setup
