#include "ui/dbruns/FExportRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "engine/api/UApiTypes.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UServices.h"
#include "ui/dbruns/UFileFilters.h"

namespace vellomar {

namespace {

constexpr std::string_view kAllFiles = "All files (*.*)|*.*";

// A filter list as the file dialogs take it: "Text (*.a *.b);;All files (*)".
std::string dialogFilter(const std::string& filter) {
  std::string joined;
  for (const std::string& f : fileDialogFilters(filter)) {
    if (!joined.empty()) joined += ";;";
    joined += f;
  }
  return joined;
}

std::string folderOf(const std::string& file) {
  return QFileInfo(QString::fromStdString(file)).absolutePath().toStdString();
}

// Where the template and output dialogs start: the templates beside the program and the
// user's documents at first, then the folders last chosen. A window is made for each run, so
// the run of the program keeps them.
struct ExportFolders {
  std::string Templates;
  std::string Output;
};

ExportFolders& exportFolders() {
  static ExportFolders folders{
      (QCoreApplication::applicationDirPath() + QStringLiteral("/Export")).toStdString(),
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString()};
  return folders;
}

}  // namespace

TFormExportRun::TFormExportRun(QWidget* parent) : TProgressWindow(parent) {
  LabelWhatDoing = new QLabel(this);
  LabelWhatDoing->setAlignment(Qt::AlignCenter);
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
  ButtonCancel->setDefault(true);
  connect(ButtonCancel, &QPushButton::clicked, this, &TProgressWindow::requestCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelWhatDoing);
  layout->addWidget(ButtonCancel, 0, Qt::AlignHCenter);
  resize(330, 90);
}

void TFormExportRun::showEvent(QShowEvent* event) {
  LabelWhatDoing->setText(QStringLiteral("Preparing to export..."));
  TProgressWindow::showEvent(event);
}

void TFormExportRun::reportFailure(const std::exception& failure) {
  if (dynamic_cast<const EKstvFatalException*>(&failure) != nullptr) {
    ShowCriticalErrorBox(failure.what());
  } else if (dynamic_cast<const EKstvException*>(&failure) != nullptr) {
    ShowErrorBox(failure.what());
  } else {
    showExclamation("Error", failure.what());
  }
}

std::string TFormExportRun::chooseTemplateAndOutput(const std::string& filter,
                                                    const CatalogueGateway* catalogue) {
  FileDialogRequest open{
      "Select Export Format", exportFolders().Templates, "", dialogFilter(filter), "", true, false};
  const std::string templateName = services().files->openFile(open);
  if (templateName.empty()) return {};
  exportFolders().Templates = folderOf(templateName);
  TDBaseExport& e = export_;
  LoadExportFormat(e, templateName, catalogue != nullptr ? catalogue->handle() : nullptr);
  if (!e.Valid) {
    ShowErrorBox("This file does not contain valid data for Vellomar export.");
    return {};
  }
  const std::string outputFilter =
      e.FileFilter.empty() ? std::string(kAllFiles) : e.FileFilter + "|" + std::string(kAllFiles);
  FileDialogRequest save{"Save Exported Data To File",
                         exportFolders().Output,
                         "",
                         dialogFilter(outputFilter),
                         e.DefaultExt,
                         false,
                         true};
  const std::string output = services().files->saveFile(save);
  if (!output.empty()) exportFolders().Output = folderOf(output);
  return output;
}

void TFormExportRun::showProgress() {
  const TDBaseExport& e = export_;
  const auto written =
      static_cast<int32_t>(std::min<uint64_t>(e.BytesWritten, std::numeric_limits<int32_t>::max()));
  LabelWhatDoing->setText(QString::fromStdString(
      "Processed " + FormatThousands(e.FilesWritten).str() + " files, written " +
      FormatSizeShort(written, e.Format.SizeInKB).str()));
}

ExportOutputFile::ExportOutputFile(TDBaseExport& e, const std::string& name) : e_(e) {
  OpenExportOutput(e_, name);
}

ExportOutputFile::~ExportOutputFile() {
  if (!open_) return;
  try {
    CloseExportOutput(e_);
  } catch (...) {
    // Already failing: the first exception is the one to report.
  }
}

void ExportOutputFile::close() {
  open_ = false;
  CloseExportOutput(e_);
}

}  // namespace vellomar
