#include "ui/scan/FSelectDrive.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UDialogHelp.h"
#include "ui/common/UWindowPlacement.h"
#include "ui/drives/UDrives.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {
namespace {

constexpr const char* kSection = "ScanDiskWindow";
constexpr QSize kDesignSize(217, 222);

}  // namespace

TFormSelectDrive::TFormSelectDrive(QWidget* parent, const DriveTable& drives)
    : QDialog(parent), drives_(drives) {
  setObjectName(QStringLiteral("FormSelectDrive"));
  setWindowTitle(QStringLiteral("Scan disk:"));
  setHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);
  ListBoxDrives = new QListWidget(this);
  layout->addWidget(ListBoxDrives, 1);
  CheckBoxNoQueries = new QCheckBox(QStringLiteral("No queries"), this);
  layout->addWidget(CheckBoxNoQueries);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormSelectDrive::ButtonOKClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ListBoxDrives, &QListWidget::itemDoubleClicked, this, &TFormSelectDrive::ButtonOKClick);
  connect(CheckBoxNoQueries, &QCheckBox::clicked, this, [](bool on) { NoQueries = on; });
  resize(kDesignSize);
}

void TFormSelectDrive::LoadWindowPos(const IniFile& ini) {
  const QRect screen = screenArea();
  setFrameBounds(this, readBounds(ini, kSection, centredBounds(kDesignSize, screen), screen));
  Position = ini.readInteger(kSection, "Position", 0);
  registerPlacementWriter(this, kScanDiskPlacement, [this](IniFile& out) {
    writeBounds(out, kSection, frameBounds(this));
    out.writeInteger(kSection, "Position", Position);
  });
}

void TFormSelectDrive::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::vector<std::string> items = BuildDriveList(ReadDriveNames, drives_);
  if (multipleSelection()) {
    if (ListBoxDrives->count() > 0) Position = std::max(firstSelectedRow(), 0);
  } else if (ListBoxDrives->currentRow() >= 0) {
    Position = ListBoxDrives->currentRow();
  }
  ListBoxDrives->clear();
  for (const std::string& item : items) ListBoxDrives->addItem(QString::fromStdString(item));
  // An empty list has no current item: no position to select.
  Position = std::min(Position, ListBoxDrives->count() - 1);
  if (Position >= 0) ListBoxDrives->setCurrentRow(Position, QItemSelectionModel::ClearAndSelect);
  Position = std::max(Position, 0);
  ListBoxDrives->setFocus();
  QApplication::restoreOverrideCursor();
  CheckBoxNoQueries->setChecked(NoQueries);
  raise();
}

bool TFormSelectDrive::multipleSelection() const {
  return ListBoxDrives->selectionMode() != QAbstractItemView::SingleSelection;
}

int TFormSelectDrive::firstSelectedRow() const {
  for (int row = 0; row < ListBoxDrives->count(); ++row) {
    if (ListBoxDrives->item(row)->isSelected()) return row;
  }
  return -1;
}

void TFormSelectDrive::ButtonOKClick() {
  if (multipleSelection() || ListBoxDrives->currentRow() >= 0) accept();
}

std::string TFormSelectDrive::SelectedLetters() const {
  std::string letters;
  for (int row = 0; row < ListBoxDrives->count(); ++row) {
    const QListWidgetItem* item = ListBoxDrives->item(row);
    const bool chosen =
        multipleSelection() ? item->isSelected() : row == ListBoxDrives->currentRow();
    if (chosen && !item->text().isEmpty()) letters += item->text().front().toLatin1();
  }
  return letters;
}

}  // namespace vellomar
