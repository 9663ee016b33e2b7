#include "ui/scan/FScanArchive.h"
#include "ui/common/UDialogHelp.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellomar {

TFormScanArchive::TFormScanArchive(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Archive Found");
  setHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);
  LabelMsg = new QLabel(this);
  LabelMsg->setWordWrap(true);
  LabelMsg->setTextFormat(Qt::PlainText);
  layout->addWidget(LabelMsg);
  auto* row = new QHBoxLayout;
  const struct {
    const char* caption;
    int16_t answer;
  } buttons[] = {
      {"Yes", kYes}, {"No", kNo}, {"Yes for all", kYesForAll}, {"No for all", kNoForAll}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(b.caption, this);
    button->setDefault(b.answer == kYes);
    button->setAutoDefault(b.answer == kYes);
    const int16_t answer = b.answer;
    connect(button, &QPushButton::clicked, this, [this, answer] {
      Answer = answer;
      done(QDialog::Accepted);
    });
    row->addWidget(button);
  }
  layout->addLayout(row);
}

void TFormScanArchive::showEvent(QShowEvent* event) {
  Answer = kNo;
  QDialog::showEvent(event);
}

}  // namespace vellomar
