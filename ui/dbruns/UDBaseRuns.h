#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/api/UApiTypes.h"

namespace vellomar {

class CatalogueGateway;

// What a copy run does with its two databases.
enum class ReindexMode : uint8_t {
  kCompress = 0,        // the database into a new file that takes its place
  kExportReadOnly = 1,  // the window's disks into a new read-only database
  kExport = 2,          // the window's disks into a new database
  kImport = 3,          // another database's disks into the window's
};

// Shows the user one failure of a run: an error box with this caption and text.
using RunReport = std::function<void(std::string_view caption, std::string_view text)>;

// One copy run, as the File menu's commands fill it.
struct ReindexJob {
  ReindexMode Mode = ReindexMode::kCompress;
  CatalogueGateway* Source = nullptr;  // the window's database: export, export to read-only
  CatalogueGateway* Target = nullptr;  // the window's database: import
  std::string SourceName;              // compress, import
  std::string TargetName;              // export, export to read-only
  bool BackupDBase = false;            // compress: keep the old file with the extension ".~KV"
};

std::string_view ReindexCaption(ReindexMode mode);
std::string_view ReindexFailureCaption(ReindexMode mode);

// The path with the extension of its last name (from its last dot on) replaced by ext.
std::string ChangeFileExt(const std::string& path, std::string_view ext);

// Opens and creates what the mode needs, copies, closes what it opened; the window's own
// database stays open. The copy reports through the run's progress context. Compression writes the
// copy beside the database and, once the copy is on the disk, puts it in the database's place in
// one step, the old file kept under a second name when asked: the user is never without the
// database. A copy that left anything out as damaged is dropped and the database kept, and an
// import that did says what it could not take. Failures the user can act on are reported; an
// exception raised by the engine passes on after everything the run opened is closed and a
// compression's copy is removed.
void RunReindex(const ReindexJob& job, const RunReport& report);

// What a repair run kept and left out; Completed is false when it was cancelled, which keeps the
// disks saved until then.
struct RepairResult {
  TCopyCounts Counts;
  bool Completed = true;
};

// Repairs a damaged database into a new file: the source read only, its key table rebuilt,
// every live disk and the settings copied. A target that is the source itself, under any name,
// is refused before anything is created. Once the copy ran and both files are closed, what it
// kept and left out; none after a failure that was reported.
std::optional<RepairResult> RunRepair(const std::string& sourceName, const std::string& targetName,
                                      const RunReport& report);

}  // namespace vellomar
