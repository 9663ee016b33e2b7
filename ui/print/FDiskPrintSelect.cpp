#include "ui/print/FDiskPrintSelect.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vellomar {

TFormDiskPrintSelect::TFormDiskPrintSelect(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormDiskPrintSelect"));
  setWindowTitle(QStringLiteral("Selection of Print"));
  LabelWhat = new QLabel(QStringLiteral("Print:"), this);
  RadioButtonActDiskDir = new QRadioButton(QStringLiteral("This disk - current folder"), this);
  RadioButtonActDiskWhole = new QRadioButton(QStringLiteral("This disk - whole"), this);
  RadioButtonSelectedDisks = new QRadioButton(QStringLiteral("All the selected disks"), this);
  RadioButtonActDiskDir->setChecked(true);
  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setDefault(true);
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelWhat);
  layout->addWidget(RadioButtonActDiskDir);
  layout->addWidget(RadioButtonActDiskWhole);
  layout->addWidget(RadioButtonSelectedDisks);
  layout->addLayout(buttons);
}

void TFormDiskPrintSelect::Prepare(const QString& caption, const QString& label, bool anySelected) {
  setWindowTitle(caption);
  LabelWhat->setText(label);
  RadioButtonSelectedDisks->setEnabled(anySelected);
  if (!anySelected && RadioButtonSelectedDisks->isChecked())
    RadioButtonActDiskDir->setChecked(true);
}

int32_t TFormDiskPrintSelect::Scope() const {
  if (RadioButtonActDiskWhole->isChecked()) return kScopeCurrentDisk;
  if (RadioButtonSelectedDisks->isChecked()) return kScopeSelectedDisks;
  return kScopeCurrentFolder;
}

void TFormDiskPrintSelect::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (RadioButtonActDiskDir->isChecked()) RadioButtonActDiskDir->setFocus();
}

}  // namespace vellomar
