#include "ui/dbruns/UFileCommands.h"

#include <QFileDialog>
#include <QFileInfo>

#include "engine/UApi.h"
#include "ui/common/UServices.h"
#include "ui/dbruns/FReindex.h"
#include "ui/dbruns/FRepair.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/dbruns/UFileFilters.h"

namespace vellomar {

namespace {

constexpr const char* kDatabaseFilter = "Vellomar Database (*.kvd)|*.kvd;*.KVD";
constexpr const char* kRepairFilter = "Vellomar database (*.kvd)|*.kvd;*.KVD|All files (*.*)|*.*";

// Codes of ApiTestDBaseFile.
constexpr int32_t kNewerVersion = 2;
constexpr int32_t kReadOnlyExport = 4;
constexpr int32_t kNotWritable = 6;

struct FileDialogSpec {
  const char* title;
  const char* filter;
  QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
  const char* proposed = "";  // a name offered in the save dialog
};

// The chosen file, empty on Cancel.
std::string chooseFile(const DBaseFileCommands& commands, const FileDialogSpec& spec) {
  QFileDialog dialog(commands.Parent, QString::fromUtf8(spec.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(spec.mode);
  dialog.setFileMode(spec.mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
  QStringList filters;
  for (const std::string& f : fileDialogFilters(spec.filter)) filters << QString::fromStdString(f);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(QStringLiteral("kvd"));
  if (commands.LastDir != nullptr && !commands.LastDir->empty()) {
    dialog.setDirectory(QString::fromStdString(*commands.LastDir));
  }
  if (*spec.proposed != '\0') dialog.selectFile(QString::fromUtf8(spec.proposed));
  if (execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString file = dialog.selectedFiles().front();
  if (commands.LastDir != nullptr) *commands.LastDir = QFileInfo(file).absolutePath().toStdString();
  return file.toStdString();
}

void refuse(std::string_view caption, std::string_view text) {
  showErrorMessage(caption, text);
}

void runReindex(const DBaseFileCommands& commands, const ReindexJob& job) {
  TFormReindex form(commands.Parent);
  form.Job = job;
  form.exec();
}

}  // namespace

void MenuReindexClick(const DBaseFileCommands& commands) {
  const std::string name = chooseFile(commands, {"Compress Database", kDatabaseFilter});
  if (name.empty()) return;
  constexpr std::string_view kCaption = "Cannot compress";
  if (commands.IsOpen(name)) {
    refuse(kCaption, "Database with this name is open - it must be closed for compression.");
    return;
  }
  if (ApiTestDBaseFile(ShortString(name)) == kReadOnlyExport) {
    refuse(kCaption, "This database cannot be compressed, because it is a read-only database.");
    return;
  }
  ReindexJob job;
  job.Mode = ReindexMode::kCompress;
  job.SourceName = name;
  job.BackupDBase = commands.BackupDBase;
  runReindex(commands, job);
}

void MenuRepairClick(const DBaseFileCommands& commands) {
  const std::string name = chooseFile(commands, {"Repair database", kRepairFilter});
  if (name.empty()) return;
  constexpr std::string_view kCaption = "Cannot continue";
  if (commands.IsOpen(name)) {
    refuse(kCaption, "Database with this name is open. Only closed databases can be repaired.");
    return;
  }
  const int32_t code = ApiTestDBaseFile(ShortString(name));
  if (code == kNewerVersion) {
    refuse(kCaption,
           "The database was created by a newer version of the program. You cannot repair it "
           "by this version of the program.");
  } else if (code == kReadOnlyExport) {
    refuse(kCaption, "This database cannot be repaired, as it is read-only database.");
  } else if (code != 0 && code < kNotWritable) {
    refuse(kCaption, "This file is either not a Vellomar database, or it has unrepairable header.");
  } else {
    const std::string target = chooseFile(
        commands, {"Save repaired database as:", kRepairFilter, QFileDialog::AcceptSave});
    if (target.empty()) return;
    TFormRepair form(commands.Parent);
    form.SourceName = name;
    form.TargetName = target;
    form.exec();
  }
}

void MenuExportClick(const DBaseFileCommands& commands, TDBase* active, ReindexMode mode) {
  const std::string name =
      chooseFile(commands, {"Export Selected Disks To Database", kDatabaseFilter,
                            QFileDialog::AcceptSave, "Export.kvd"});
  if (name.empty()) return;
  if (commands.IsOpen(name)) {
    refuse("Cannot export", "Database with this name is open - cannot be overwritten.");
    return;
  }
  ReindexJob job;
  job.Mode = mode;
  job.Source = active;
  job.TargetName = name;
  runReindex(commands, job);
}

void MenuImportClick(const DBaseFileCommands& commands, TDBase* active) {
  const std::string name = chooseFile(commands, {"Import Disks From Database", kDatabaseFilter});
  if (name.empty()) return;
  constexpr std::string_view kCaption = "Cannot import";
  if (commands.IsOpen(name)) {
    refuse(kCaption, "Database with this name is open. Only closed databases can be imported.");
    return;
  }
  const int32_t code = ApiTestDBaseFile(ShortString(name));
  if (code == kReadOnlyExport) {
    refuse(kCaption,
           "The database cannot be imported, because it is a read-only (protected) database.");
  } else if (code != 0 && code != kNotWritable) {
    refuse(kCaption,
           "This database cannot be imported. It is either corrupted or requires newer version "
           "of this program.");
  } else {
    ReindexJob job;
    job.Mode = ReindexMode::kImport;
    job.Target = active;
    job.SourceName = name;
    runReindex(commands, job);
  }
}

}  // namespace vellomar
