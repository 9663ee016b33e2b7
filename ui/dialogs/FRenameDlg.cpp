#include "ui/dialogs/FRenameDlg.h"
#include "ui/common/UDialogHelp.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellomar {

TFormRenameDlg::TFormRenameDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("FormRenameDlg");
  setHelpContext(this, kHelpContext);
  resize(437, 107);
  Label2 = new QLabel(this);
  Label1 = new QLabel("New disk name:", this);
  Edit1 = new QLineEdit(this);
  Edit1->setMaxLength(255);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label2);
  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  layout->addWidget(buttons);
}

void TFormRenameDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Edit1->setFocus();
  Edit1->selectAll();
}

}  // namespace vellomar
