#include "ui/scan/FScanArchive.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UDialogHelp.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UWindowPlacement.h"

namespace vellomar {
namespace {

constexpr int kWidth = 440;

}  // namespace

TFormScanArchive::TFormScanArchive(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Archive Found");
  setHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);
  LabelMsg = new TFittedLabel(this, 2);
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
  setFixedSize(kWidth, sizeHint().height());
}

void TFormScanArchive::showEvent(QShowEvent* event) {
  Answer = kNo;
  setFrameBounds(this, centredBounds(frameBounds(this).size(), screenArea()));
  QDialog::showEvent(event);
}

}  // namespace vellomar
