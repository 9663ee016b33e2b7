#include "engine/UArchiveRar.h"

#include "engine/UArchiveFile.h"
#include "engine/UUnRar.h"
#include "foundation/URarBlocks.h"

namespace vellomar {

bool ReadRarArchive(TArchiveEntryList& list, const std::string& path, uint64_t start) {
  // The library reads what the walk cannot (Unicode names, RAR5); the walk is the fallback.
  if (ReadRarByDll(list, path)) return true;
  return listArchive(list, path, [&](ArchiveFile& file) {
    if (!isRarMarker(file.read(start, kRarMarker.size()))) return false;
    const int32_t countBefore = list.Count();
    RarBlockWalk walk([&](uint64_t offset, size_t n) { return file.read(offset, n); }, file.size(),
                      start);
    RarBlock block;
    while (walk.next(block) == RarBlockWalk::Step::kBlock) {
      if (block.type != kRarFileBlock || block.isFolder()) continue;
      std::string_view name = asText(block.file.name);
      if (block.flags & kRarUnicodeName) name = untilZero(name);
      std::string fullName(name);
      slashesToBackslashes(fullName);
      addArchiveMember(list, fullName, static_cast<uint8_t>(block.file.attributes),
                       static_cast<int32_t>(block.file.dateTime),
                       static_cast<uint32_t>(block.file.unpackedSize), offset32(block.position));
    }
    return list.Count() > countBefore;
  });
}

}  // namespace vellomar
