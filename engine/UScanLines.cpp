#include "engine/UScanLines.h"

#include "engine/UDBaseLayout.h"

namespace vellomar {

void TScanLines::reserve(size_t count, size_t nameBytes) {
  bytes_.reserve(count * kFileEntryFixedSize + nameBytes);
  offsets_.reserve(count);
  flags_.reserve(count);
}

void TScanLines::add(const TFileRecord& record, std::string_view name, bool regular) {
  const size_t offset = bytes_.size();
  // Offsets stay below the largest block, so they fit in 32 bits.
  ensureAppendFits(kFileListFixedSize + offset, kFileEntryFixedSize + name.size());
  writeFileEntry(bytes_, record, name);
  offsets_.push_back(static_cast<uint32_t>(offset));
  flags_.push_back(regular ? kRegular : 0);
  ++kept_;
  keptBytes_ += bytes_.size() - offset;
}

size_t TScanLines::endOf(size_t index) const {
  return index + 1 < offsets_.size() ? offsets_[index + 1] : bytes_.size();
}

std::span<const uint8_t> TScanLines::entryBytes(size_t index) const {
  const std::span<const uint8_t> all(bytes_.bytes());
  return all.subspan(offsets_[index], endOf(index) - offsets_[index]);
}

TFileEntry TScanLines::at(size_t index) const {
  ByteReader r(entryBytes(index));
  return readFileEntry(r);
}

void TScanLines::remove(size_t index) {
  if (!kept(index)) return;
  flags_[index] |= kRemoved;
  --kept_;
  keptBytes_ -= entryBytes(index).size();
}

std::vector<std::span<const uint8_t>> TScanLines::keptRuns() const {
  std::vector<std::span<const uint8_t>> runs;
  const std::span<const uint8_t> all(bytes_.bytes());
  for (size_t i = 0; i < slots();) {
    if (!kept(i)) {
      ++i;
      continue;
    }
    const size_t first = i;
    while (i < slots() && kept(i)) ++i;
    const size_t start = offsets_[first];
    runs.push_back(all.subspan(start, endOf(i - 1) - start));
  }
  return runs;
}

}  // namespace vellomar
