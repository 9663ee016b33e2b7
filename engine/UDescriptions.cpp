#include "engine/UDescriptions.h"

#include <algorithm>
#include <array>

#include "engine/UCatalogueFile.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDescBlock.h"
#include "engine/UStreamBytes.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UEntryRecords.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"

namespace vellomar {

namespace {

// Read past a cut so that utf8CutLength sees the whole character standing across it.
constexpr size_t kLongestCharacterTail = 3;

std::string_view cutText(std::string_view text, size_t maximum) {
  return utf8Prefix(text, maximum);
}

// Checks the block at offset and leaves the stream at byte `start` of its text; the text bytes
// from there on.
uint32_t seekDescText(TKFileStream& stream, int32_t offset, uint32_t start, int code) {
  const auto at = static_cast<uint32_t>(offset);
  uint64_t left = 0;
  std::array<uint8_t, kDescBlockFixedSize> room;
  const std::span<const uint8_t> head = readBlockStart(stream, at, room, left);
  ByteReader r(head);
  const uint32_t length = readDescBlockHead(r, left, code);
  start = std::min(start, length);
  stream.Seek(at + static_cast<uint32_t>(kDescBlockFixedSize) + start);
  return length - start;
}

// Up to maximum bytes of text from the stream into text, in its own room (a search keeps it
// from entry to entry), cut at a whole character.
void readTextUpTo(TKFileStream& stream, uint32_t available, size_t maximum, std::string& text) {
  const size_t n = std::min<size_t>(available, maximum + kLongestCharacterTail);
  text.resize(n);
  if (n > 0) stream.ReadExact(text.data(), n);
  text.resize(cutText(text, maximum).size());
}

// The most readShortText reads: a short description and the tail of a character across its cut.
constexpr size_t kShortTextRoom = kShortDescLength + kLongestCharacterTail;

// Up to kShortDescLength bytes of text from the stream into room, cut at a whole character.
std::string_view readShortText(TKFileStream& stream, uint32_t available,
                               std::array<char, kShortTextRoom>& room) {
  const size_t n = std::min<size_t>(available, room.size());
  if (n > 0) stream.ReadExact(room.data(), n);
  return cutText(std::string_view(room.data(), n), kShortDescLength);
}

// Control characters as CleanDescription turns them, runs of blanks as one, written to out (room
// for text.size() bytes); answers the length written.
size_t cleanInto(std::string_view text, char* out) {
  size_t length = 0;
  for (const char c : text) {
    // Most characters stay as they are, whatever stands before them.
    if (static_cast<unsigned char>(c) > ' ') {
      out[length++] = c;
      continue;
    }
    char kept = c;
    if (static_cast<unsigned char>(c) < 32) kept = c == '\r' ? '/' : ' ';
    if (kept == ' ' && length > 0 && out[length - 1] == ' ') continue;
    out[length++] = kept;
  }
  return length;
}

}  // namespace

const ShortString* TDescCache::find(int32_t offset) const {
  const auto slot = slots_.find(offset);
  return slot == slots_.end() ? nullptr : &entries_[slot->second].Text;
}

void TDescCache::add(int32_t offset, std::string_view text) {
  Entry entry{offset, ShortString(cutText(text, kShortDescLength))};
  if (entries_.size() < kCapacity) {
    slots_[offset] = entries_.size();
    entries_.push_back(entry);
    return;
  }
  slots_.erase(entries_[ring_].Offset);
  slots_[offset] = ring_;
  entries_[ring_] = entry;
  ring_ = (ring_ + 1) % kCapacity;
}

void TDescCache::clear() {
  entries_.clear();
  slots_.clear();
  ring_ = 0;
}

ShortString CleanDescription(std::string_view text, int maximum) {
  // Short texts, every one read for a list, are cleaned on the stack.
  std::array<char, kShortTextRoom> room;
  std::string heap;
  char* out = room.data();
  if (text.size() > room.size()) {
    heap.resize(text.size());
    out = heap.data();
  }
  std::string_view cleaned(out, cleanInto(text, out));
  if (!cleaned.empty() && cleaned.front() == ' ') cleaned.remove_prefix(1);
  if (!cleaned.empty() && cleaned.back() == ' ') cleaned.remove_suffix(1);
  return ShortString(cutText(cleaned, static_cast<size_t>(std::max(maximum, 0))));
}

bool ReadShortDesc(TCatalogueFile& file, TDescCache& cache, int32_t offset, int32_t start,
                   int maximum, ShortString& text) {
  text = ShortString();
  if (offset == 0) return false;
  const auto limit = static_cast<size_t>(std::max(maximum, 0));
  if (start < 1) {
    if (const ShortString* cached = cache.find(offset)) {
      text = ShortString(cutText(cached->view(), limit));
      return true;
    }
  }
  try {
    const uint32_t from = start > 0 ? static_cast<uint32_t>(start) : 0;
    const uint32_t available = seekDescText(file.Stream, offset, from, kDamageDescShort);
    std::array<char, kShortTextRoom> room;
    const std::string_view raw = readShortText(file.Stream, available, room);
    const ShortString cleaned = CleanDescription(raw, kShortDescLength);
    if (start < 1) cache.add(offset, cleaned.view());
    text = ShortString(cutText(cleaned.view(), limit));
    return true;
  } catch (const EKstvDBaseStructException&) {
    ++file.DamageCounter;
    text = ShortString();
    return false;
  }
}

bool ReadFullDesc(TCatalogueFile& file, int32_t offset, std::string& text) {
  text.clear();
  if (offset == 0) return false;
  try {
    const uint32_t available = seekDescText(file.Stream, offset, 0, kDamageDescFull);
    readTextUpTo(file.Stream, available, kFullDescLength, text);
    return true;
  } catch (const EKstvDBaseStructException&) {
    ++file.DamageCounter;
    text.clear();
    return false;
  }
}

int32_t appendDescBlock(TKFileStream& stream, std::string_view text) {
  stream.SeekToEnd();
  const uint32_t start = stream.GetPosition();
  const uint64_t length = descBlockLength(text.size());
  ensureAppendFits(start, length);
  ByteWriter block;
  block.reserve(static_cast<size_t>(length));
  writeDescBlock(block, text);
  writeStreamBytes(stream, block.bytes());
  return static_cast<int32_t>(start);
}

bool WriteDesc(TCatalogueFile& file, int32_t& reference, std::string_view text) {
  if (reference == 0 || file.ReadOnly) return false;
  TKFileStream& stream = file.Stream;
  const auto entry = static_cast<uint32_t>(reference);
  // The entry is read first, so a reference to nothing leaves no block behind.
  stream.Seek(entry);
  const std::vector<uint8_t> recordBytes = readStreamBytes(stream, kFileRecordSize);
  ByteReader r(recordBytes);
  TFileRecord record = readFileRecord(r);

  int32_t newOffset = 0;
  if (!text.empty()) {
    newOffset = appendDescBlock(stream, text);
    if (stream.Status() != 0) return false;
  }
  record.DescOffset = newOffset;
  if (newOffset != 0) {
    record.Attr |= kAttrUserDesc;
  } else {
    record.Attr &= static_cast<uint16_t>(~kAttrUserDesc);
  }
  ByteWriter w;
  writeFileRecord(w, record);
  stream.Seek(entry);
  writeStreamBytes(stream, w.bytes());
  stream.Flush();
  reference = newOffset;
  return true;
}

void UpdateFileDescRef(TTreeSlots& trees, const TOneFile& line) {
  TTreeStruct* tree = trees.Current.get();
  if (!tree || line.EntryOffset == 0) return;
  if (tree->CurDir) {
    for (TDirCollection* sub : tree->CurDir->Items()) {
      if (sub->Dir.EntryOffset != line.EntryOffset) continue;
      sub->Dir.Data.DescOffset = line.Data.DescOffset;
      break;
    }
  }
  if (!tree->FileCol) return;
  for (TOneFile* fileLine : tree->FileCol->Items()) {
    if (fileLine->EntryOffset != line.EntryOffset) continue;
    fileLine->Data.DescOffset = line.Data.DescOffset;
    break;
  }
}

}  // namespace vellomar
