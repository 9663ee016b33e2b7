#include "engine/UKeyTable.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/UBlockHead.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UDiskBlock.h"
#include "foundation/UByteReader.h"
#include "foundation/UExceptions.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr size_t kRebuildPieceSize = 32768;
// The rebuild's window: a block head and the disk's flags field.
constexpr size_t kRebuildWindowSize = kBlockHeadSize + 4;

bool isLive(const TKeyEntry& key) {
  return (key.Flags & kKeyDeleted) == 0;
}

// A disk block at the window's start: a disk head whose details lie inside the file, and disk
// flags of 0 or 1.
bool diskBlockAt(std::span<const uint8_t> window, uint64_t bytesLeft, uint16_t& keyFlags) {
  if (window[8] != kDiskBlockKind || window[9] > 1 || window[10] != 0 || window[11] != 0 ||
      window[12] != 0) {
    return false;
  }
  ByteReader r(window);
  BlockForm form;
  if (!isDiskBlockHead(readBlockHead(r), bytesLeft, form)) return false;
  keyFlags = window[9] == 1 ? kKeyDeleted : 0;
  return true;
}

}  // namespace

ShortString DeletedDiskName(const ShortString& name, int32_t number) {
  if (!name.empty() && name.view().back() == ']') return name;
  const std::string suffix = " [" + std::to_string(number) + "]";
  const size_t keep = utf8CutLength(name.view(), ShortString::kMaxLength - suffix.size());
  return ShortString(std::string(name.view().substr(0, keep)) + suffix);
}

void KeyTable::assign(TKeyField keys) {
  keys_ = std::move(keys);
  names_.clear();
}

ShortString KeyTable::ReadDiskName(int32_t offset) {
  return ShortString(diskNameView(offset));
}

std::string_view KeyTable::diskNameView(int32_t offset) {
  if (const std::optional<std::string_view> kept = names_.find(offset)) return *kept;
  std::string_view name = kUnreadableDiskName;
  bool readable = false;
  // The head and the details up to the name, on the stack: an open reads every disk's.
  std::array<uint8_t, kBlockHeadSize + kOldDiskInfoSize> bytes;
  try {
    const uint64_t size = file_->fileSize();
    if (offset >= 0 && static_cast<uint64_t>(offset) < size) {
      const uint64_t bytesLeft = size - offset;
      const auto length = static_cast<size_t>(std::min<uint64_t>(bytes.size(), bytesLeft));
      file_->readAt(offset, std::span<uint8_t>(bytes.data(), length));
      ByteReader r(bytes.data(), length);
      BlockForm form;
      if (isDiskBlockHead(readBlockHead(r), bytesLeft, form)) {
        r.seek(kDiskNameBlockOffset);
        name = r.fixedShortStringView(ShortString::kMaxLength);
        readable = r.ok();
      }
    }
  } catch (const EKstvDBaseStructException&) {
  }
  if (!readable && damageCounter_ != nullptr) ++*damageCounter_;
  return names_.put(offset, name);
}

KeyTable::FoundKey KeyTable::FindKey(const ShortString& name, uint16_t flags) {
  FoundKey result;
  if (flags & kKeyDeleted) {
    result.Index = keys_.LiveCount;
    return result;
  }
  int32_t lo = 0;
  int32_t hi = keys_.LiveCount;
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const int c = compareText(diskNameView(keys_.Keys[mid].Offset), name.view());
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
      if (c == 0) result.Found = true;
    }
  }
  result.Index = lo;
  return result;
}

bool KeyTable::InsertKey(int64_t offset, uint16_t flags) {
  if (offset < 0 || static_cast<uint64_t>(offset) > kMaxDBaseFileSize) {
    throw EKstvNormalException("Database is full. Make compression.");
  }
  const auto blockOffset = static_cast<int32_t>(offset);
  const ShortString name = (flags & kKeyDeleted) ? ShortString() : ReadDiskName(blockOffset);
  return AddKeyAt(FindKey(name, flags).Index, blockOffset, flags);
}

bool KeyTable::AddKeyAt(int32_t position, int32_t offset, uint16_t flags) {
  std::vector<TKeyEntry>& keys = keys_.Keys;
  if (keys_.count() >= kKeyCapacity) {
    // The oldest deleted disk gives way; its block stays until the database is copied.
    if (isLive(keys.back())) return false;
    keys.pop_back();
  }
  if (position < 0 || position > keys_.count()) {
    throw EKstvDBaseStructException(kDamageKeyInsert);
  }
  const TKeyEntry key{flags, offset};
  keys.insert(keys.begin() + position, key);
  keys_.CurrentIndex = position;
  if (isLive(key)) ++keys_.LiveCount;
  keysModified_ = true;
  disksChanged_ = true;
  return true;
}

TKeyEntry KeyTable::takeOut(int32_t index) {
  const TKeyEntry key = keys_.Keys[index];
  keys_.Keys.erase(keys_.Keys.begin() + index);
  if (isLive(key)) --keys_.LiveCount;
  return key;
}

void KeyTable::reinsert(int32_t index, bool toDeleted, int damageCode) {
  if (keys_.Keys.empty() || index >= keys_.count()) return;
  if (index < 0) throw EKstvDBaseStructException(damageCode);
  const TKeyEntry key = takeOut(index);
  // The disk was renamed in place before it is moved.
  forgetName(key.Offset);
  const uint16_t flags =
      toDeleted ? static_cast<uint16_t>((key.Flags | kKeyDeleted) & ~kKeySelected) : key.Flags;
  InsertKey(key.Offset, flags);
  keysModified_ = true;
  disksChanged_ = true;
}

void KeyTable::MoveKeyToDeleted(int32_t index) {
  reinsert(index, true, kDamageKeyDelete);
}

void KeyTable::RepositionKey(int32_t index) {
  reinsert(index, false, kDamageKeyReposition);
}

// Gives the order that inserting every key in stored order would give: equal names and the
// deleted group come out in reverse of their stored order, since each new key goes first.
void KeyTable::ResortKeys() {
  const std::vector<std::string_view> names = namesOfLiveKeys();
  std::vector<TKeyEntry> order =
      liveNamesAscend(names) ? liveThenDeletedReversed() : sortedByName(names);
  keys_.LiveCount = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    keys_.Keys[i] = order[i];
    if (isLive(order[i])) ++keys_.LiveCount;
  }
  keys_.CurrentIndex = std::clamp(keys_.CurrentIndex, 0, std::max(keys_.count() - 1, 0));
  keysModified_ = true;
  disksChanged_ = true;
}

// Each live key's name at its place in the table, empty for a deleted key. The stream reads
// forward from each miss, so the names are read in file order and share its window; read in key
// order every name would cost a fresh read.
std::vector<std::string_view> KeyTable::namesOfLiveKeys() {
  struct Place {
    int32_t Offset;
    int32_t Index;
  };
  std::vector<Place> places;
  places.reserve(keys_.Keys.size());
  for (int32_t i = 0; i < keys_.count(); ++i) {
    if (isLive(keys_.Keys[i])) places.push_back({keys_.Keys[i].Offset, i});
  }
  std::sort(places.begin(), places.end(),
            [](const Place& a, const Place& b) { return a.Offset < b.Offset; });
  names_.reserve(places.size());
  std::vector<std::string_view> names(keys_.Keys.size());
  for (const Place& place : places) names[place.Index] = diskNameView(place.Offset);
  return names;
}

// A table written by this program is in order: checking it takes one comparison per key,
// sorting it many.
bool KeyTable::liveNamesAscend(const std::vector<std::string_view>& names) const {
  // Two ASCII names compare by their collation keys, made in two buffers taken in turn; a pair
  // with another name goes through the collator.
  std::array<std::string, 2> keys;
  size_t current = 0;
  std::string_view previous;
  bool previousKeyed = false;
  bool first = true;
  for (size_t i = 0; i < keys_.Keys.size(); ++i) {
    if (!isLive(keys_.Keys[i])) continue;
    const std::string_view name = names[i];
    const bool keyed = asciiCollationKey(name, keys[current]);
    if (!first) {
      const int order = keyed && previousKeyed ? keys[1 - current].compare(keys[current])
                                               : compareText(previous, name);
      if (order >= 0) return false;
    }
    previous = name;
    previousKeyed = keyed;
    current = 1 - current;
    first = false;
  }
  return true;
}

// What sorting gives when the live names ascend as stored.
std::vector<TKeyEntry> KeyTable::liveThenDeletedReversed() const {
  std::vector<TKeyEntry> order;
  order.reserve(keys_.Keys.size());
  std::copy_if(keys_.Keys.begin(), keys_.Keys.end(), std::back_inserter(order), isLive);
  std::copy_if(keys_.Keys.rbegin(), keys_.Keys.rend(), std::back_inserter(order),
               [](const TKeyEntry& key) { return !isLive(key); });
  return order;
}

std::vector<TKeyEntry> KeyTable::sortedByName(const std::vector<std::string_view>& names) const {
  struct Sortable {
    TKeyEntry Key;
    std::string_view Name;
  };
  std::vector<Sortable> sortable;
  sortable.reserve(keys_.Keys.size());
  for (size_t i = keys_.Keys.size(); i > 0; --i)
    sortable.push_back({keys_.Keys[i - 1], names[i - 1]});
  std::stable_sort(sortable.begin(), sortable.end(), [](const Sortable& a, const Sortable& b) {
    if (isLive(a.Key) != isLive(b.Key)) return isLive(a.Key);
    return isLive(a.Key) && compareText(a.Name, b.Name) < 0;
  });
  std::vector<TKeyEntry> order;
  order.reserve(sortable.size());
  for (const Sortable& s : sortable) order.push_back(s.Key);
  return order;
}

void KeyTable::RebuildKeyTable() {
  keys_ = TKeyField{};
  keysModified_ = true;
  collectDiskBlocks();
  ResortKeys();
  bool revived = false;
  for (int32_t i = keys_.LiveCount; i < keys_.count(); ++i) {
    const ShortString name = ReadDiskName(keys_.Keys[i].Offset);
    if (name.empty() || name.view().back() != ']') {
      keys_.Keys[i].Flags &= static_cast<uint16_t>(~kKeyDeleted);
      revived = true;
    }
  }
  if (revived) ResortKeys();
}

// Slides the window over the data area one byte at a time, carrying the bytes that straddle
// two pieces, so a block head is found wherever it lies.
void KeyTable::collectDiskBlocks() {
  const uint64_t size = std::min<uint64_t>(file_->fileSize(), kMaxDBaseFileSize);
  std::vector<TKeyEntry> found;
  std::vector<uint8_t> buffer;
  uint64_t bufferStart = kDataAreaOffset;
  for (uint64_t next = kDataAreaOffset; next < size;) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(kRebuildPieceSize, size - next));
    const size_t kept = buffer.size();
    buffer.resize(kept + piece);
    file_->readAt(next, std::span<uint8_t>(buffer).subspan(kept));
    next += piece;
    size_t p = 0;
    for (; p + kRebuildWindowSize <= buffer.size(); ++p) {
      const uint64_t position = bufferStart + p;
      uint16_t flags = 0;
      if (diskBlockAt(std::span<const uint8_t>(buffer).subspan(p, kRebuildWindowSize),
                      size - position, flags)) {
        found.push_back({flags, static_cast<int32_t>(position)});
      }
    }
    buffer.erase(buffer.begin(), buffer.begin() + p);
    bufferStart += p;
  }
  keepNewestBlocks(found);
  keys_.Keys = std::move(found);
}

// More disk blocks than the table holds: live disks first, then the newest deleted ones.
void KeyTable::keepNewestBlocks(std::vector<TKeyEntry>& found) {
  liveBlocksNotKept_.clear();
  if (found.size() <= static_cast<size_t>(kKeyCapacity)) return;
  const auto live = static_cast<size_t>(std::count_if(found.begin(), found.end(), isLive));
  size_t liveRoom = std::min<size_t>(live, kKeyCapacity);
  size_t deletedRoom = kKeyCapacity - liveRoom;
  std::vector<TKeyEntry> kept;
  kept.reserve(kKeyCapacity);
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    size_t& room = isLive(*it) ? liveRoom : deletedRoom;
    if (room == 0) {
      if (isLive(*it)) liveBlocksNotKept_.push_back(it->Offset);
      continue;
    }
    --room;
    kept.push_back(*it);
  }
  found.assign(kept.rbegin(), kept.rend());
  std::reverse(liveBlocksNotKept_.begin(), liveBlocksNotKept_.end());
}

int32_t KeyTable::GetKeyCount(bool showDeleted) const {
  return showDeleted ? keys_.count() : keys_.LiveCount;
}

int32_t KeyTable::CountSelectedKeys() const {
  return static_cast<int32_t>(
      std::count_if(keys_.Keys.begin(), keys_.Keys.begin() + keys_.LiveCount,
                    [](const TKeyEntry& key) { return (key.Flags & kKeySelected) != 0; }));
}

int32_t KeyTable::FirstSelectedKey() const {
  for (int32_t i = 0; i < keys_.LiveCount; ++i) {
    if (keys_.Keys[i].Flags & kKeySelected) return i;
  }
  return -1;
}

void KeyTable::clearSelection() {
  for (TKeyEntry& key : keys_.Keys) key.Flags &= static_cast<uint16_t>(~kKeySelected);
}

}  // namespace vellomar
