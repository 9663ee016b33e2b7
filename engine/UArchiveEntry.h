#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/UCollections.h"

namespace vellomar {

// One member of an archive as a reader lists it; nothing is decompressed.
class TArchiveEntry : public TPlainObject {
 public:
  // Name and Path each hold at most this many bytes, cut at a character boundary.
  static constexpr size_t kMaxText = 255;

  // path: "\" + the member's folders, each followed by "\" ("\" for the root). The name case
  // rule applies to path and name separately; an empty name becomes " ".
  TArchiveEntry(std::string_view path, std::string_view name, uint8_t attr, int32_t dateTime,
                uint32_t size, int32_t headerOffset);

  uint8_t Attr;      // as the archive gives them, 0 where the format has none
  int32_t DateTime;  // DOS date-time, date in the high word
  // Unsigned, so members of 2 to 4 GB add up right.
  uint32_t Size;
  std::string Name;
  std::string Path;
  int32_t HeaderOffset;  // where the member's header lies, 0 where the format gives none
};

// The name case rule of scanned names: text equal to its own upper-case form is stored
// lower-cased, any other text keeps its case.
std::string applyNameCase(std::string_view text);

// Byte by byte, unsigned, a proper prefix first: Path, then Name. Case-sensitive, so the
// members of one folder stand together.
int CompareArchiveEntries(const TArchiveEntry& a, const TArchiveEntry& b);

// The members of one archive in CompareArchiveEntries order, equal keys allowed. Readers
// Append while they list and Sort once at the end, so a large archive costs no sorted
// insertion per member; Add inserts in order at once.
class TArchiveEntryList : public TSortedItemCollection<TArchiveEntry> {
 public:
  static constexpr int32_t kInitialCapacity = 200;
  static constexpr int32_t kGrowBy = 200;

  TArchiveEntryList() : TSortedItemCollection(kInitialCapacity, kGrowBy) {
    SetAllowDuplicates(true);
  }

  int Compare(const TArchiveEntry* key1, const TArchiveEntry* key2) const override {
    return CompareArchiveEntries(*key1, *key2);
  }

  // Takes the entry, out of order until Sort. Raises EKstvFatalException "Too large list or
  // not enough memory." at the collection ceiling.
  void Append(std::unique_ptr<TArchiveEntry> entry);
  // Puts appended entries in order; equal keys keep the order they were appended in.
  void Sort();
};

std::unique_ptr<TArchiveEntryList> NewArchiveEntryList();

}  // namespace vellomar
