#include "ui/dbruns/UDBaseRuns.h"

#include "foundation/UExceptions.h"
#include "platform/PFileNames.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/dbruns/URepairReport.h"

namespace vellomar {

namespace {

constexpr char kCallRepair[] =
    "\r\nCall Repair from the File menu to save what can be read into a new database.";

// The compression's copy: once the run creates it, removed unless it took the database's place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (owned_ && isRegularFile(path_)) removeFileName(path_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  void own() { owned_ = true; }
  void keep() { owned_ = false; }

 private:
  std::string path_;
  bool owned_ = false;
};

bool openSource(const std::string& name, bool rebuildKeys, CatalogueGateway& source,
                std::string_view caption, const RunReport& report) {
  ShortString message;
  if (source.open(ShortString(name), rebuildKeys, message)) return true;
  report(caption, "The source database " + name + " cannot be open.\r\n" + message.str());
  return false;
}

bool createTarget(const std::string& name, CatalogueGateway& target, std::string_view caption,
                  const RunReport& report) {
  bool created = false;
  try {
    created = CatalogueGateway::createFile(name);
  } catch (const EKstvException&) {
    created = false;
  }
  if (!created) {
    report(caption, "The target database " + name + " cannot be created.");
    return false;
  }
  ShortString message;
  if (target.open(ShortString(name), false, message)) return true;
  report(caption, "The target database " + name + " cannot be open.\r\n" + message.str());
  return false;
}

// The compressed copy, closed and on the disk, takes the database's place.
void putInPlace(const ReindexJob& job, TemporaryFile& copy, const RunReport& report) {
  const std::string_view caption = ReindexFailureCaption(job.Mode);
  const std::string& source = job.SourceName;
  const auto cannotRename = [&](const std::string& from, const std::string& to) {
    report(caption, "The database " + from + " cannot be renamed to " + to);
  };
  bool renamedAway = false;
  std::string backup;
  if (job.BackupDBase) {
    backup = ChangeFileExt(source, ".~KV");
    if (isRegularFile(backup)) removeFileName(backup);
    // A second name keeps the old file without a copy of its bytes; where the file system has
    // none to give, the old file moves to the backup name.
    if (!addFileName(source, backup)) {
      if (!replaceFileName(source, backup)) {
        cannotRename(source, backup);
        return;
      }
      renamedAway = true;
    }
  }
  if (!replaceFileName(copy.path(), source)) {
    if (renamedAway) replaceFileName(backup, source);
    cannotRename(copy.path(), source);
    return;
  }
  copy.keep();
}

}  // namespace

std::string_view ReindexCaption(ReindexMode mode) {
  switch (mode) {
    case ReindexMode::kCompress:
      return "Compressing database";
    case ReindexMode::kExportReadOnly:
      return "Exporting to read-only form";
    case ReindexMode::kExport:
      return "Exporting";
    case ReindexMode::kImport:
      return "Importing";
  }
  return {};
}

std::string_view ReindexFailureCaption(ReindexMode mode) {
  switch (mode) {
    case ReindexMode::kCompress:
      return "Compression was not successful";
    case ReindexMode::kExportReadOnly:
    case ReindexMode::kExport:
      return "Export was not successful";
    case ReindexMode::kImport:
      return "Import was not successful";
  }
  return {};
}

std::string ChangeFileExt(const std::string& path, std::string_view ext) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? path.substr(0, dot) : path) + std::string(ext);
}

void RunReindex(const ReindexJob& job, const RunReport& report) {
  const std::string_view caption = ReindexFailureCaption(job.Mode);
  const bool compress = job.Mode == ReindexMode::kCompress;
  const bool opensSource = compress || job.Mode == ReindexMode::kImport;
  // Declared first, so that it goes after both databases are closed.
  TemporaryFile copy(compress ? ChangeFileExt(job.SourceName, ".$$~") : std::string());
  CatalogueGateway openedSource;
  CatalogueGateway openedTarget;
  if (opensSource && !openSource(job.SourceName, false, openedSource, caption, report)) return;
  if (job.Mode != ReindexMode::kImport) {
    if (compress) {
      // A copy left by a compress that was cut off: the source's lock shows none runs now.
      if (isRegularFile(copy.path())) removeFileName(copy.path());
      copy.own();
    }
    if (!createTarget(compress ? copy.path() : job.TargetName, openedTarget, caption, report)) {
      return;
    }
  }
  CatalogueGateway& source = opensSource ? openedSource : *job.Source;
  CatalogueGateway& target = job.Mode == ReindexMode::kImport ? *job.Target : openedTarget;
  const bool exporting =
      job.Mode == ReindexMode::kExport || job.Mode == ReindexMode::kExportReadOnly;
  TCopyCounts counts;
  const bool copied =
      source.copyDisksInto(target, !exporting, job.Mode == ReindexMode::kImport, compress, counts);
  // The close puts the copy on the disk before it may replace anything, and before the source's
  // header is written back.
  if (job.Mode != ReindexMode::kImport) {
    openedTarget.close(job.Mode == ReindexMode::kExportReadOnly);
  }
  if (opensSource) openedSource.close();
  if (job.Mode == ReindexMode::kImport && CopyLostAnything(counts)) {
    report(caption, "Not everything in " + job.SourceName + " could be imported." +
                        LostByCopyText(counts) + kCallRepair);
  }
  if (!compress) return;
  if (!copied) {
    report(caption, "Process was not successful.");
    return;
  }
  // A copy that lost anything never takes the place of the database it came from.
  if (CopyLostAnything(counts)) {
    report(caption, "The database " + job.SourceName +
                        " was not compressed: its copy could not take everything." +
                        LostByCopyText(counts) + "\r\nThe database is kept as it was." +
                        kCallRepair);
    return;
  }
  putInPlace(job, copy, report);
}

std::optional<RepairResult> RunRepair(const std::string& sourceName, const std::string& targetName,
                                      const RunReport& report) {
  // Creating the target would empty the only copy of the damaged database.
  const std::optional<FileIdentity> source = fileIdentity(sourceName);
  if (source && source == fileIdentity(targetName)) {
    report(kRepairCaption, "The target database " + targetName +
                               " is the damaged database itself. Choose another file.");
    return std::nullopt;
  }
  CatalogueGateway openedSource;
  CatalogueGateway openedTarget;
  if (!openSource(sourceName, true, openedSource, kRepairCaption, report)) return std::nullopt;
  if (!createTarget(targetName, openedTarget, kRepairCaption, report)) return std::nullopt;
  RepairResult result;
  result.Completed = openedSource.repairInto(openedTarget, result.Counts);
  openedSource.close();
  openedTarget.close();
  return result;
}

}  // namespace vellomar
