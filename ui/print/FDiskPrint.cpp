#include "ui/print/FDiskPrint.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>

#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UEngineGuard.h"
#include "ui/common/UServices.h"
#include "ui/common/UWindowPlacement.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

TFormDiskPrintSelect::TFormDiskPrintSelect(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Selection of Print");
  auto* layout = new QVBoxLayout(this);
  LabelWhat = new QLabel("Print:", this);
  RadioButtonActDiskDir = new QRadioButton("This disk - current folder", this);
  RadioButtonActDiskWhole = new QRadioButton("This disk - whole", this);
  RadioButtonSelectedDisks = new QRadioButton("All the selected disks", this);
  RadioButtonActDiskDir->setChecked(true);
  layout->addWidget(LabelWhat);
  layout->addWidget(RadioButtonActDiskDir);
  layout->addWidget(RadioButtonActDiskWhole);
  layout->addWidget(RadioButtonSelectedDisks);
  auto* buttons = new QHBoxLayout;
  ButtonOK = new QPushButton("OK", this);
  ButtonCancel = new QPushButton("Cancel", this);
  ButtonOK->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);
  layout->addLayout(buttons);
  connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormDiskPrintSelect::enableSelectedDisks(bool enabled) {
  RadioButtonSelectedDisks->setEnabled(enabled);
  if (!enabled && RadioButtonSelectedDisks->isChecked()) RadioButtonActDiskDir->setChecked(true);
}

int32_t TFormDiskPrintSelect::scope() const {
  if (RadioButtonActDiskWhole->isChecked()) return kPrintScopeWholeDisk;
  if (RadioButtonSelectedDisks->isChecked()) return kPrintScopeSelectedDisks;
  return kPrintScopeCurrentFolder;
}

void TFormDiskPrintSelect::showEvent(QShowEvent* event) {
  // The caller gives the title: "Print Selection" or "Items To Be Exported".
  setMinimumWidth(titleBarWidth(this));
  QDialog::showEvent(event);
  RadioButtonActDiskDir->setChecked(true);
  RadioButtonActDiskDir->setFocus();
}

TFormDiskPrint::TFormDiskPrint(CatalogueGateway& catalogue, std::string dbaseName, QWidget* parent)
    : TProgressWindow(parent), catalogue_(catalogue), dbaseName_(std::move(dbaseName)) {
  setWindowTitle("Disk Print");
  auto* layout = new QGridLayout(this);
  Label1 = new QLabel("Disks/files read:", this);
  LabelSearched = new QLabel(this);
  LabelWhat = new QLabel(this);
  Gauge = new QProgressBar(this);
  Gauge->setRange(0, 100);
  ButtonCancel = new QPushButton("Cancel", this);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(LabelSearched, 0, 1);
  layout->addWidget(LabelWhat, 1, 0, 1, 2);
  layout->addWidget(Gauge, 2, 0, 1, 2);
  layout->addWidget(ButtonCancel, 3, 0, 1, 2, Qt::AlignHCenter);
  setMinimumWidth(320);
  connect(ButtonCancel, &QPushButton::clicked, this, &TFormDiskPrint::requestCancel);
}

void TFormDiskPrint::showEvent(QShowEvent* event) {
  if (FormSettings != nullptr) FormSettings->GetOptions(options_);
  LabelWhat->setText("Calculating print extent...");
  TProgressWindow::showEvent(event);
}

bool TFormDiskPrint::askFirst() {
  // Not shown yet, the window cannot own the dialogs: its own owner does.
  QWidget* owner = parentWidget();
  TFormDiskPrintSelect select(owner);
  select.setWindowTitle("Print Selection");
  select.enableSelectedDisks(catalogue_.selectedKeyCount() > 0);
  if (select.exec() != QDialog::Accepted) return false;
  scope_ = select.scope();
  return printTarget().choose(owner, printer_, choice_, false);
}

int TFormDiskPrint::runJob() {
  Gauge->setValue(0);
  Gauge->show();
  TCatalogPrint run(catalogue_, dbaseName_, options_, *this);
  const TPrintResult result = run.run(printer_, choice_, scope_);
  ShowPrintFailure(result);
  // A refused printer or a cancelled walk did not print what was asked.
  return result == TPrintResult::kPrinted ? QDialog::Accepted : QDialog::Rejected;
}

void TFormDiskPrint::reportFailure(const std::exception&) {
  // Called inside the job's handler: the engine's own boxes for its failures.
  runGuarded([] { std::rethrow_exception(std::current_exception()); });
}

void TFormDiskPrint::showWhat(const std::string& text) {
  if (text != "Calculating print extent...") Gauge->hide();
  LabelWhat->setText(QString::fromStdString(text));
  letEventsRun();
}

void TFormDiskPrint::showProgress(int32_t disks, int32_t files, int32_t percent) {
  LabelSearched->setText(QString("%1/%2").arg(disks).arg(files));
  Gauge->setValue(percent);
  letEventsRun();
}

bool TFormDiskPrint::abortRequested() {
  return cancelRequested();
}

}  // namespace vellomar
