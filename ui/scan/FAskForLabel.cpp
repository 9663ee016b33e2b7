#include "ui/scan/FAskForLabel.h"
#include "ui/common/UDialogHelp.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellomar {

TFormAskForLabel::TFormAskForLabel(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Disk Name");
  setHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Save disk to database under name:", this));
  EditDiskName = new QLineEdit(this);
  EditDiskName->setMaxLength(250);
  layout->addWidget(EditDiskName);
  auto* generatedRow = new QHBoxLayout;
  LabelGenerated = new QLabel("Generated name: ", this);
  ButtonUseGenerated = new QPushButton("Use generated", this);
  ButtonUseGenerated->setAutoDefault(false);
  generatedRow->addWidget(LabelGenerated, 1);
  generatedRow->addWidget(ButtonUseGenerated);
  layout->addLayout(generatedRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ButtonUseGenerated, &QPushButton::clicked, this,
          &TFormAskForLabel::ButtonUseGeneratedClick);
  LabelGenerated->hide();
  ButtonUseGenerated->hide();
}

void TFormAskForLabel::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  EditDiskName->setFocus();
  EditDiskName->selectAll();
  UsedGenerated = false;
  const bool offered = !GeneratedName.empty();
  LabelGenerated->setText(QString::fromStdString("Generated name: " + GeneratedName));
  LabelGenerated->setVisible(offered);
  ButtonUseGenerated->setVisible(offered);
}

void TFormAskForLabel::ButtonUseGeneratedClick() {
  EditDiskName->setText(QString::fromStdString(GeneratedName));
  UsedGenerated = true;
}

}  // namespace vellomar
