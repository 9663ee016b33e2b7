#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/UShortString.h"

namespace vellomar {

class TCatalogueFile;
class TKFileStream;
struct TOneFile;
struct TTreeSlots;

// Short descriptions are at most this many bytes, never cut inside a character.
inline constexpr int kShortDescLength = 200;
// A full description is read up to this many bytes.
inline constexpr size_t kFullDescLength = 65000;

// The cleaned short texts of the last 200 description blocks read. A block never changes once
// written, so entries are never invalidated while the file stays open; when full, the oldest
// entry is replaced.
class TDescCache {
 public:
  static constexpr size_t kCapacity = 200;

  // Null when the block is not cached.
  const ShortString* find(int32_t offset) const;
  void add(int32_t offset, std::string_view text);
  // The offsets of another file name other blocks.
  void clear();

 private:
  struct Entry {
    int32_t Offset;
    ShortString Text;
  };
  std::vector<Entry> entries_;
  // Where each cached offset lies in entries_: a list looks up every description it shows, and
  // an export's look-ups all miss.
  std::unordered_map<int32_t, size_t> slots_;
  size_t ring_ = 0;
};

// Characters below 32 become "/" (carriage return) or a blank, runs of blanks become one, and
// one leading and one trailing blank go; the result is cut to maximum bytes.
ShortString CleanDescription(std::string_view text, int maximum);

// Appends a description block holding text at the end of the file, in one write; its offset.
// Refuses with "Database is full. Make compression." where the offset would not fit.
int32_t appendDescBlock(TKFileStream& stream, std::string_view text);

// The cleaned short text of the description block at offset, from byte start of the text on
// when start > 0 (a start past the end gives an empty text). False for offset 0 and for
// damage (011, counted in the file).
bool ReadShortDesc(TCatalogueFile& file, TDescCache& cache, int32_t offset, int32_t start,
                   int maximum, ShortString& text);
// The whole text of the block at offset, at most 65000 bytes. False with an empty text for
// offset 0 and for damage (012, counted).
bool ReadFullDesc(TCatalogueFile& file, int32_t offset, std::string& text);
// reference holds the entry offset of a file or folder record; on success it receives the new
// description's offset. An empty text removes the description: no block is written, the entry's
// offset becomes 0 and its user flag is cleared. False for reference 0 and on a read-only
// file. A reference that holds no entry raises damage (002) before anything is written.
bool WriteDesc(TCatalogueFile& file, int32_t& reference, std::string_view text);
// Puts line's new description offset into the loaded tree: the current folder's subfolder node
// and the file-list line with line's entry offset.
void UpdateFileDescRef(TTreeSlots& trees, const TOneFile& line);

}  // namespace vellomar
