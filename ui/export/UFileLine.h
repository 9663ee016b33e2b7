#pragma once

#include <cstdint>

#include "engine/UApiTypes.h"
#include "foundation/UCollections.h"
#include "foundation/UShortString.h"

namespace vellomar {

// What a file-list line stands for.
inline constexpr uint8_t kLineFile = 0;
inline constexpr uint8_t kLineFolder = 1;
inline constexpr uint8_t kLineParent = 2;  // the ".." entry
inline constexpr uint8_t kLineArchive = 3;

// Bits of a line's flags.
inline constexpr uint8_t kLineFocusMark = 1;
inline constexpr uint8_t kLineSelected = 2;

// One line of a file list with its own copy of the engine's entry.
class TOneFileLine : public TPlainObject {
 public:
  explicit TOneFileLine(const TOneFile& entry);
  ~TOneFileLine() override { FreeOneFile(Entry); }
  TOneFileLine(const TOneFileLine&) = delete;
  TOneFileLine& operator=(const TOneFileLine&) = delete;

  TOneFile* Entry = nullptr;
  uint8_t Kind;
  uint8_t Flags = 0;
};

// ".." is the parent line, an archive shown as a folder an archive line, then folders, files.
uint8_t FileLineKind(const TOneFile& entry);

// The group character that keeps "DiskInfo.txt", "..", folders and files in this sequence from
// the top in either order; the first character of the sort key.
char FileSortGroup(const TOneFile& entry, uint8_t kind, bool reverse);

// The key under which a line sorts: a group character that keeps "DiskInfo.txt", "..",
// folders and files in this sequence from the top in either order, then the criterion's text
// (0 name, 1 extension, 2 time, 3 size; time and size so that the newest or largest comes first).
ShortString MakeFileSortKey(const TOneFile& entry, uint8_t kind, uint8_t criterion, bool reverse);

// A stored 32-bit size, read unsigned: sizes from 2 GiB on are shown as they are, not as
// negative numbers; in kB mode they take the GB step.
ShortString FormatFileSize(int32_t storedSize, bool inKB);

}  // namespace vellomar
