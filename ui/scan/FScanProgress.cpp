#include "ui/scan/FScanProgress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UFittedText.h"
#include "ui/common/UPieGauge.h"
#include "ui/drives/UDrives.h"
#include "ui/grid/UQtText.h"
#include "ui/scan/FScanArchive.h"

namespace vellomar {
namespace {

constexpr QSize kClientSize(523, 101);
constexpr int32_t kPhaseTree = 1;
constexpr int32_t kPhaseContents = 2;
constexpr int kInfoEveryMs = 200;

}  // namespace

TFormScanProgress::TFormScanProgress(QWidget* parent) : TProgressWindow(parent) {
  setObjectName(QStringLiteral("FormScanProgress"));
  setWindowTitle(QStringLiteral("Scanning Disk"));
  Gauge = new TPieGauge(QColor(0, 0, 128), this);
  Gauge->setFixedSize(75, 75);
  LabelDoing = new TFittedLabel(this);
  LabelInfo = new TFittedLabel(this, 2);
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
  ButtonCancel->setDefault(true);
  connect(ButtonCancel, &QPushButton::clicked, this, &TProgressWindow::requestCancel);
  auto* text = new QVBoxLayout;
  text->addWidget(LabelDoing);
  text->addWidget(LabelInfo, 1);
  text->addWidget(ButtonCancel, 0, Qt::AlignRight);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Gauge);
  layout->addLayout(text, 1);
  setFixedSize(kClientSize);
  ScanArchive = new TFormScanArchive(this);
}

void TFormScanProgress::showEvent(QShowEvent* event) {
  ScanResult = false;
  phase_ = 0;
  Gauge->hide();
  LabelDoing->setFullText(QString());
  LabelInfo->setFullText(QString());
  message_.clear();
  appended_.clear();
  infoShown_.invalidate();
  if (Request.scanPath.empty()) Request.scanPath = std::string{Request.drive, ':'};
  TProgressWindow::showEvent(event);
}

int TFormScanProgress::runJob() {
  scanOptions_ = Request.catalogue->localOptions();
  ScanResult = Request.catalogue->scanDisk(Request.scanPath, ShortString(Request.diskName),
                                           ShortString(Request.volumeLabel));
  return QDialog::Accepted;
}

bool TFormScanProgress::query(const ShortString&) {
  return false;
}

uint16_t TFormScanProgress::choice(const ShortString& archiveName) {
  switch (scanOptions_.ScanArchives) {
    case kScanArchivesNoPrompt:
      return kChoiceScan;
    case kScanArchivesPrompt:
      // The question stands over the window: it shows the folder it is about, not the last
      // one that happened to be drawn.
      infoShown_.invalidate();
      showInfo();
      ScanArchive->LabelMsg->setFullText(QStringLiteral("Scan archive file ") +
                                         qtText(archiveName.view()) + '?');
      ScanArchive->exec();
      return static_cast<uint16_t>(ScanArchive->Answer);
    case kScanArchivesNo:
      return kChoiceSkip;
    default:
      return kChoiceScanAll;
  }
}

void TFormScanProgress::showInfo() {
  if (infoShown_.isValid() && infoShown_.elapsed() < kInfoEveryMs) return;
  infoShown_.restart();
  // A folder shows as the user knows it, by its Linux path.
  LabelInfo->setFullText(qtText(ShownPath(message_) + appended_));
}

void TFormScanProgress::message(const ShortString& text) {
  message_.assign(text.view());
  appended_.clear();
  showInfo();
  TProgressWindow::letEventsRun();
}

void TFormScanProgress::appendText(const ShortString& text) {
  appended_ += text.view();
  showInfo();
  TProgressWindow::letEventsRun();
}

void TFormScanProgress::percent(int32_t phase, int32_t percent) {
  if (phase != phase_) {
    phase_ = phase;
    LabelDoing->setFullText(phase == kPhaseTree ? QStringLiteral("Scanning tree structure:")
                            : phase == kPhaseContents
                                ? QStringLiteral("Scanning contents of folders and "
                                                 "archives:")
                                : QString());
    Gauge->setVisible(phase == kPhaseContents);
  }
  if (phase == kPhaseContents) Gauge->SetProgress(percent);
  TProgressWindow::letEventsRun();
}

}  // namespace vellomar
