#include "engine/UArchiveRar.h"

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
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
      // A Unicode name is the plain name, a zero and its packed Unicode form, or UTF-8 alone.
      const std::string_view name = asText(block.file.name);
      const bool utf8 = (block.flags & kRarUnicodeName) && name.find('\0') == name.npos;
      addArchiveMember(list, memberName(name, utf8 ? NameCoding::kUtf8 : NameCoding::kOem),
                       static_cast<uint8_t>(block.file.attributes),
                       static_cast<int32_t>(block.file.dateTime),
                       static_cast<uint32_t>(block.file.unpackedSize), offset32(block.position));
    }
    return list.Count() > countBefore;
  });
}

}  // namespace vellomar
