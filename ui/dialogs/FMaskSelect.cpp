#include "ui/dialogs/FMaskSelect.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UDialogHelp.h"
#include "ui/dialogs/UDialogs.h"
#include "ui/grid/UQtText.h"

namespace vellomar {

namespace {

QComboBox* maskCombo(QWidget* parent) {
  QComboBox* combo = newHistoryCombo(parent);
  combo->setEditText("*");
  combo->hide();
  return combo;
}

}  // namespace

TFormMaskSelect::TFormMaskSelect(QWidget* parent) : QDialog(parent) {
  setObjectName("FormMaskSelect");
  setWindowTitle("Selection");
  setHelpContext(this, kHelpContext);
  resize(311, 99);
  LabelMask = new QLabel("Mask for selection:", this);
  ComboBoxMaskDisks = maskCombo(this);
  ComboBoxMaskFiles = maskCombo(this);
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormMaskSelect::ButtonOKClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { showHelpOf(this); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelMask);
  layout->addWidget(ComboBoxMaskDisks);
  layout->addWidget(ComboBoxMaskFiles);
  layout->addWidget(buttons);
}

void TFormMaskSelect::ShowMasksFor(bool disks) {
  ComboBoxMaskDisks->setVisible(disks);
  ComboBoxMaskFiles->setVisible(!disks);
}

QComboBox* TFormMaskSelect::VisibleCombo() const {
  return ComboBoxMaskDisks->isHidden() ? ComboBoxMaskFiles : ComboBoxMaskDisks;
}

void TFormMaskSelect::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  VisibleCombo()->setFocus();
  VisibleCombo()->lineEdit()->selectAll();
}

void TFormMaskSelect::ButtonOKClick() {
  for (QComboBox* combo : {ComboBoxMaskDisks, ComboBoxMaskFiles}) {
    if (combo->isHidden()) continue;
    const QString text = combo->currentText();
    if (!text.isEmpty() && combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
      combo->addItem(text);
      combo->setEditText(text);
    }
  }
  accept();
}

bool AskSelectionMasks(bool disks, std::vector<ShortString>& masks) {
  TFormMaskSelect& dialog = FormMaskSelect();
  dialog.setWindowTitle(disks ? "Selection of disks" : "Selection of files");
  dialog.LabelMask->setText(disks ? "Mask for selection of disks:"
                                  : "Mask for selection of files:");
  dialog.ShowMasksFor(disks);
  if (dialog.exec() != QDialog::Accepted) return false;
  const std::string typed = fromQt(dialog.VisibleCombo()->currentText());
  masks = CatalogueGateway::selectionMasks(typed.empty() ? std::string_view("*")
                                                         : std::string_view(typed));
  return true;
}

}  // namespace vellomar
