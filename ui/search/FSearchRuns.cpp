#include "ui/search/FSearchRuns.h"

#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UPieGauge.h"
#include "ui/common/UServices.h"

namespace vellomar {

namespace {

const QColor kMaroon(128, 0, 0);
constexpr int kPieSize = 105;

}  // namespace

TSearchRunWindow::TSearchRunWindow(QWidget* parent) : TProgressWindow(parent) {
  // No system menu: the run ends by Stop or by itself.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  ButtonStop = new QPushButton("Stop", this);
  ButtonStop->setDefault(true);
  connect(ButtonStop, &QPushButton::clicked, this, &TSearchRunWindow::requestCancel);
}

int TSearchRunWindow::runJob() {
  failure_ = nullptr;
  if (!search()) {
    tellAfterClose([text = nothingFoundText()] {
      services().messages->show("Information", text, BoxIcon::kInformation, BoxButtons::kOk);
    });
    return QDialog::Rejected;
  }
  return QDialog::Accepted;
}

void TSearchRunWindow::reportFailure(const std::exception&) {
  // Called inside the handler of the failure: the caller reports it by its own convention.
  failure_ = std::current_exception();
}

TFormSearchName::TFormSearchName(QWidget* parent) : TSearchRunWindow(parent) {
  setObjectName("FormSearchName");
  setWindowTitle("Searching");
  LabelSearched = new QLabel("0/0", this);
  LabelFound = new QLabel("0", this);
  Gauge1 = new QProgressBar(this);
  Gauge1->setRange(0, 100);
  Gauge1->setMinimumWidth(220);
  auto* counts = new QFormLayout;
  counts->addRow("Disks/files searched:", LabelSearched);
  counts->addRow("Files found:", LabelFound);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(counts);
  layout->addWidget(Gauge1);
  layout->addWidget(ButtonStop, 0, Qt::AlignHCenter);
}

bool TFormSearchName::search() {
  return Catalogue->searchFiles(Request, &ProgressContext::progress);
}

void TFormSearchName::progress(const TSearchCounts& counts, bool& abort) {
  LabelSearched->setText(QString("%1/%2").arg(counts.Disks).arg(counts.Files));
  LabelFound->setText(QString::number(counts.Found));
  Gauge1->setValue(counts.Percent);
  letEventsRun();
  abort = cancelRequested();
}

TFormSearchEmpty::TFormSearchEmpty(QWidget* parent) : TSearchRunWindow(parent) {
  setObjectName("FormSearchEmpty");
  setWindowTitle("Searching...");
  Gauge1 = new TPieGauge(kMaroon, this);
  Gauge1->setFixedSize(kPieSize, kPieSize);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Gauge1, 0, Qt::AlignHCenter);
  layout->addWidget(ButtonStop, 0, Qt::AlignHCenter);
}

bool TFormSearchEmpty::search() {
  return Catalogue->searchFreeSpace(&ProgressContext::progress);
}

void TFormSearchEmpty::progress(const TSearchCounts& counts, bool& abort) {
  Gauge1->SetProgress(counts.Percent);
  letEventsRun();
  abort = cancelRequested();
}

}  // namespace vellomar
