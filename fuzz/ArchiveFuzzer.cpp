// One archive or backup-catalogue reader over a file of the input's bytes; the build names the
// reader in VELLOMAR_ARCHIVE_READER. The listing must come out whole and sorted.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "engine/UArchiveArc.h"
#include "engine/UArchiveArj.h"
#include "engine/UArchiveLha.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "engine/UBackupSets.h"
#include "engine/USelfExtractors.h"
#include "fuzz/FuzzFile.h"

namespace vellomar::fuzz {
namespace {

using Reader = std::function<void(TArchiveEntryList&, const std::string&)>;

struct NamedReader {
  std::string_view Name;
  Reader Read;
};

const NamedReader kReaders[] = {
    {"zip_central", [](auto& list, auto& path) { ReadZipCentral(list, path, 0); }},
    {"zip_local", [](auto& list, auto& path) { ReadZipLocal(list, path, 0); }},
    {"arc", [](auto& list, auto& path) { ReadArcArchive(list, path); }},
    {"lha", [](auto& list, auto& path) { ReadLhaArchive(list, path, 0); }},
    {"arj", [](auto& list, auto& path) { ReadArjArchive(list, path, 0); }},
    {"rar", [](auto& list, auto& path) { ReadRarArchive(list, path, 0); }},
    {"dos_backup", [](auto& list, auto& path) { ReadDosBackup(list, path); }},
    {"pc_backup", [](auto& list, auto& path) { ReadPcBackup(list, path); }},
    {"norton_backup", [](auto& list, auto& path) { ReadNortonBackup(list, path); }},
    {"sfx",
     [](auto& list, auto& path) {
       uint8_t kind = kSfxNone;
       ReadSfxArchive(list, path, true, kind);
       if (kind > kSfxNone) __builtin_trap();
     }},
};

const Reader& reader() {
  static const Reader& chosen = []() -> const Reader& {
    for (const NamedReader& r : kReaders) {
      if (r.Name == VELLOMAR_ARCHIVE_READER) return r.Read;
    }
    __builtin_trap();
  }();
  return chosen;
}

void checkListing(const TArchiveEntryList& list) {
  const auto entries = list.Items();
  for (size_t i = 0; i < entries.size(); ++i) {
    const TArchiveEntry& entry = *entries[i];
    if (entry.Name.empty() || entry.Name.size() > TArchiveEntry::kMaxText || entry.Path.empty() ||
        entry.Path.size() > TArchiveEntry::kMaxText) {
      __builtin_trap();
    }
    if (i > 0 && CompareArchiveEntries(*entries[i - 1], entry) > 0) __builtin_trap();
  }
}

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  fuzz::writeScratchFile(std::span<const uint8_t>(data, size));
  TArchiveEntryList list;
  fuzz::reader()(list, fuzz::scratchPath());
  fuzz::checkListing(list);
  return 0;
}
