#include "ui/scan/FScanFolder.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "platform/PAsciiText.h"
#include "platform/PText.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UServices.h"
#include "ui/drives/FSelectFolder.h"
#include "ui/drives/UDrives.h"
#include "ui/grid/UQtText.h"
#include "ui/scan/UScanNames.h"

namespace vellomar {
namespace {

std::string text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

TFormScanFolder::TFormScanFolder(TFormSelectFolder& browser, QWidget* parent,
                                 const DriveTable& drives)
    : QDialog(parent), browser_(browser), drives_(drives) {
  setObjectName(QStringLiteral("FormScanFolder"));
  auto* layout = new QGridLayout(this);
  LabelScanFolder = new QLabel(this);
  EditFolder = new QLineEdit(this);
  ButtonBrowseFolder = new QPushButton(QStringLiteral("Browse &folder..."), this);
  LabelSaveIt = new QLabel(this);
  EditDiskName = new QLineEdit(this);
  EditDiskName->setMaxLength(255);
  ButtonCreateDiskName = new QPushButton(QStringLiteral("<- Create name"), this);
  auto* help = new QPushButton(QStringLiteral("Help"), this);
  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setDefault(true);
  ButtonOK->setEnabled(false);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  for (QPushButton* b : {ButtonBrowseFolder, ButtonCreateDiskName, help, cancel})
    b->setAutoDefault(false);
  layout->addWidget(LabelScanFolder, 0, 0, 1, 2);
  layout->addWidget(EditFolder, 1, 0);
  layout->addWidget(ButtonBrowseFolder, 1, 1);
  layout->addWidget(LabelSaveIt, 2, 0, 1, 2);
  layout->addWidget(EditDiskName, 3, 0);
  layout->addWidget(ButtonCreateDiskName, 3, 1);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ButtonOK);
  row->addWidget(cancel);
  row->addWidget(help);
  layout->addLayout(row, 4, 0, 1, 2);
  layout->setColumnMinimumWidth(0, 300);
  connect(EditFolder, &QLineEdit::textChanged, this, &TFormScanFolder::updateOK);
  connect(EditDiskName, &QLineEdit::textChanged, this, &TFormScanFolder::updateOK);
  connect(ButtonBrowseFolder, &QPushButton::clicked, this,
          &TFormScanFolder::ButtonBrowseFolderClick);
  connect(ButtonCreateDiskName, &QPushButton::clicked, this,
          &TFormScanFolder::ButtonCreateDiskNameClick);
  connect(ButtonOK, &QPushButton::clicked, this, &TFormScanFolder::ButtonOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { showHelpOf(this); });
  SetScanMode(true);
}

void TFormScanFolder::SetScanMode(bool newDisk) {
  ScanNewDisk = newDisk;
  setWindowTitle(newDisk ? QStringLiteral("Scan Folder As Disk") : QStringLiteral("Rescan Disk"));
  LabelScanFolder->setText(newDisk ? QStringLiteral("Scan folder:")
                                   : QStringLiteral("Rescan disk (folder):"));
  LabelSaveIt->setText(newDisk ? QStringLiteral("and save it to database as disk:")
                               : QStringLiteral("and save it to database as update of disk:"));
  setHelpContext(this, newDisk ? kHelpContextNew : kHelpContextRescan);
  ButtonCreateDiskName->setVisible(newDisk);
  EditDiskName->setEnabled(newDisk);
  QPalette colours = EditDiskName->palette();
  colours.setColor(QPalette::Text,
                   palette().color(newDisk ? QPalette::WindowText : QPalette::Dark));
  EditDiskName->setPalette(colours);
}

void TFormScanFolder::SetFolder(const std::string& folder) {
  EditFolder->setText(qtText(ShownPath(folder)));
}

std::string TFormScanFolder::folderText() const {
  return TypedPath(text(EditFolder));
}

void TFormScanFolder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  updateOK();
  EditFolder->setFocus();
  ShownFolder = folderText();
  ScanPath.clear();
  VolumeLabel.clear();
  DiskName.clear();
}

void TFormScanFolder::updateOK() {
  ButtonOK->setEnabled(!EditFolder->text().isEmpty() && !EditDiskName->text().isEmpty());
}

void TFormScanFolder::ButtonBrowseFolderClick() {
  if (browser_.exec() == QDialog::Accepted) SetFolder(browser_.SelectedPath);
}

void TFormScanFolder::ButtonCreateDiskNameClick() {
  const std::string folder = folderText();
  if (folder.empty()) return;
  const std::optional<std::string> name =
      NameFromFolder(folder, GetDiskLabel(folder.front(), drives_));
  if (name) EditDiskName->setText(qtText(*name));
}

void TFormScanFolder::ButtonOKClick() {
  std::string folder = ScanFolderText(folderText());
  if (!ScanNewDisk && !sameText(folder, ShownFolder) &&
      services().messages->show("Warning",
                                "The disk or folder is different from the original one. This "
                                "may cause a loss of manually created descriptions. Continue?",
                                BoxIcon::kQuestion, BoxButtons::kYesNoCancel) != BoxResult::kYes) {
    return;
  }
  if (!folder.empty()) folder.front() = upperAscii(folder.front());
  if (const std::string refusal = ScanFolderRefusal(folder, text(EditFolder)); !refusal.empty()) {
    showExclamation("Error", refusal);
    return;
  }
  ScanPath = folder;
  VolumeLabel = GetDiskLabel(folder.front(), drives_);
  DiskName = text(EditDiskName);
  accept();
}

}  // namespace vellomar
