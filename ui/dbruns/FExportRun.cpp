#include "ui/dbruns/FExportRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "engine/UApiTypes.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "ui/common/UServices.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/dbruns/UFileFilters.h"
#include "ui/export/UExport.h"

namespace vellomar {

namespace {

constexpr std::string_view kAllFiles = "All files (*.*)|*.*";

QStringList qtFilters(const std::string& filter) {
  QStringList filters;
  for (const std::string& f : fileDialogFilters(filter)) filters << QString::fromStdString(f);
  return filters;
}

QFileDialog* fileDialog(QWidget* parent, const QString& title, QFileDialog::AcceptMode mode) {
  auto* dialog = new QFileDialog(
      parent, title, QCoreApplication::applicationDirPath() + QStringLiteral("/Export"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                      : QFileDialog::AnyFile);
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  return dialog;
}

// The chosen file, empty on Cancel; the dialog starts where the user went this time.
std::string choose(QFileDialog& dialog) {
  if (execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString file = dialog.selectedFiles().front();
  dialog.setDirectory(QFileInfo(file).absolutePath());
  return file.toStdString();
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
  OpenDialogExportFormat =
      fileDialog(this, QStringLiteral("Select Export Format"), QFileDialog::AcceptOpen);
  SaveDialogExportToText =
      fileDialog(this, QStringLiteral("Save Exported Data To File"), QFileDialog::AcceptSave);
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

std::string TFormExportRun::chooseTemplateAndOutput(const std::string& filter, TDBase* db) {
  OpenDialogExportFormat->setNameFilters(qtFilters(filter));
  const std::string templateName = choose(*OpenDialogExportFormat);
  if (templateName.empty()) return {};
  TDBaseExport& e = ExportState();
  LoadExportFormat(e, templateName, db);
  if (!e.Valid) {
    ShowErrorBox("This file does not contain valid data for Vellomar export.");
    return {};
  }
  SaveDialogExportToText->setDefaultSuffix(QString::fromStdString(e.DefaultExt));
  SaveDialogExportToText->setNameFilters(qtFilters(
      e.FileFilter.empty() ? std::string(kAllFiles) : e.FileFilter + "|" + std::string(kAllFiles)));
  return choose(*SaveDialogExportToText);
}

void TFormExportRun::showProgress() {
  const TDBaseExport& e = ExportState();
  const auto written =
      static_cast<int32_t>(std::min<uint64_t>(e.BytesWritten, std::numeric_limits<int32_t>::max()));
  LabelWhatDoing->setText(QString::fromStdString(
      "Processed " + FormatThousands(e.FilesWritten).str() + " files, written " +
      FormatSizeShort(written, FormatOptions.SizeInKB).str()));
}

ExportOutputFile::ExportOutputFile(const std::string& name) {
  OpenExportOutput(ExportState(), name);
}

ExportOutputFile::~ExportOutputFile() {
  if (!open_) return;
  try {
    CloseExportOutput(ExportState());
  } catch (...) {
    // Already failing: the first exception is the one to report.
  }
}

void ExportOutputFile::close() {
  open_ = false;
  CloseExportOutput(ExportState());
}

}  // namespace vellomar
