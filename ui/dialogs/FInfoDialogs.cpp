#include "ui/dialogs/FInfoDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UDialogHelp.h"
#include "ui/dialogs/UInfoTexts.h"
#include "ui/grid/UQtText.h"

namespace vellomar {

namespace {

// A value label beside its caption, selectable so a user can copy a path or a count.
QLabel* addRow(QFormLayout* form, const char* caption, QWidget* parent) {
  auto* value = new QLabel(parent);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(caption, value);
  return value;
}

}  // namespace

TFormDiskInfo::TFormDiskInfo(QWidget* parent) : QDialog(parent) {
  setObjectName("FormDiskInfo");
  setWindowTitle("Disk Information");
  setHelpContext(this, kHelpContext);
  resize(429, 223);
  auto* form = new QFormLayout;
  LabelDiskName = addRow(form, "Disk:", this);
  LabelVolumeLabel = addRow(form, "Volume label:", this);
  LabelOriginalFolder = addRow(form, "Original path:", this);
  LabelScanDate = addRow(form, "Last update:", this);
  LabelDirs = addRow(form, "Total folders:", this);
  LabelFiles = addRow(form, "Total files:", this);
  LabelArchives = addRow(form, "Total archives:", this);
  LabelArcDirs = addRow(form, "Total folders in archives:", this);
  LabelArcFiles = addRow(form, "Total files in archives:", this);
  LabelDataSize = addRow(form, "Sum of physical file sizes:", this);
  LabelArcSize = addRow(form, "Sum of file sizes in archives:", this);
  LabelTotSize = addRow(form, "Total data size:", this);
  LabelDiskSize = addRow(form, "Disk size:", this);
  LabelDiskFree = addRow(form, "Disk free size:", this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { showHelpOf(this); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TFormDiskInfo::SetValues(const TDiskInfo& info) {
  const DiskInfoTexts t = DiskInfoTextsOf(info);
  LabelDiskName->setText(qtText(t.DiskName));
  LabelVolumeLabel->setText(qtText(t.VolumeLabel));
  LabelOriginalFolder->setText(qtText(t.OriginalFolder));
  LabelScanDate->setText(qtText(t.ScanDate));
  LabelDirs->setText(qtText(t.Dirs));
  LabelFiles->setText(qtText(t.Files));
  LabelArchives->setText(qtText(t.Archives));
  LabelArcDirs->setText(qtText(t.ArcDirs));
  LabelArcFiles->setText(qtText(t.ArcFiles));
  LabelDataSize->setText(qtText(t.DataSize));
  LabelArcSize->setText(qtText(t.ArcSize));
  LabelTotSize->setText(qtText(t.TotSize));
  LabelDiskSize->setText(qtText(t.DiskSize));
  LabelDiskFree->setText(qtText(t.DiskFree));
}

TFormDBaseInfo::TFormDBaseInfo(QWidget* parent) : QDialog(parent) {
  setObjectName("FormDBaseInfo");
  setWindowTitle("Database Information");
  setHelpContext(this, kHelpContext);
  resize(227, 169);
  auto* form = new QFormLayout;
  LabelDBaseName = addRow(form, "Database:", this);
  LabelSize = addRow(form, "Size:", this);
  LabelRecords = addRow(form, "Total number of records:", this);
  LabelRecordsDeleted = addRow(form, "Number of deleted records:", this);
  LabelReindex = addRow(form, "Compression recommended:", this);
  LabelReadOnly = addRow(form, "Read-only:", this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TFormDBaseInfo::SetValues(const TDBaseStats& stats, const ShortString& name) {
  const DBaseInfoTexts t = DBaseInfoTextsOf(stats, name);
  LabelDBaseName->setText(qtText(t.DBaseName));
  LabelSize->setText(qtText(t.Size));
  LabelRecords->setText(qtText(t.Records));
  LabelRecordsDeleted->setText(qtText(t.RecordsDeleted));
  LabelReindex->setText(qtText(t.Reindex));
  LabelReadOnly->setText(qtText(t.ReadOnly));
}

}  // namespace vellomar
