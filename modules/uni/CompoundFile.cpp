#include "modules/uni/CompoundFile.h"

#include <algorithm>

#include "foundation/UByteReader.h"

namespace vellomar {

namespace {

constexpr uint8_t kSignature[CompoundFile::kSignatureSize] = {0xD0, 0xCF, 0x11, 0xE0,
                                                              0xA1, 0xB1, 0x1A, 0xE1};
constexpr size_t kHeaderSize = 512;
constexpr size_t kHeaderFatSlots = 109;
constexpr size_t kEntrySize = 128;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint8_t kStreamEntry = 2;
constexpr uint8_t kRootEntry = 5;
// Directories and mini tables beyond this are not those of a text document.
constexpr size_t kMaxTableBytes = 16 << 20;

// Adjacent sectors join into one extent, so a stream costs one read per fragment.
void appendExtent(std::vector<CompoundStream::Extent>& extents, uint64_t offset, uint64_t length) {
  if (!extents.empty() && extents.back().fileOffset + extents.back().length == offset) {
    extents.back().length += length;
  } else {
    extents.push_back({offset, length});
  }
}

}  // namespace

CompoundStream::CompoundStream(const InputFile& file, std::vector<Extent> extents, uint64_t size)
    : file_(&file), extents_(std::move(extents)) {
  uint64_t total = 0;
  starts_.reserve(extents_.size());
  for (const Extent& extent : extents_) {
    starts_.push_back(total);
    total += extent.length;
  }
  size_ = std::min(size, total);
}

std::vector<uint8_t> CompoundStream::read(uint64_t offset, size_t n) const {
  std::vector<uint8_t> out;
  if (offset >= size_) return out;
  if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
  out.reserve(n);
  size_t index = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                                     starts_.begin()) -
                 1;
  while (out.size() < n && index < extents_.size()) {
    const uint64_t within = offset + out.size() - starts_[index];
    const uint64_t left = extents_[index].length - within;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(left, n - out.size()));
    const std::vector<uint8_t> part = file_->read(extents_[index].fileOffset + within, want);
    out.insert(out.end(), part.begin(), part.end());
    if (part.size() < want) break;
    ++index;
  }
  return out;
}

bool CompoundFile::hasSignature(std::span<const uint8_t> start) {
  return start.size() >= kSignatureSize &&
         std::equal(start.begin(), start.begin() + kSignatureSize, std::begin(kSignature));
}

std::optional<CompoundFile> CompoundFile::open(const InputFile& file) {
  CompoundFile compound(file);
  if (!compound.readTables()) return std::nullopt;
  return compound;
}

std::vector<uint32_t> CompoundFile::chain(const std::vector<uint32_t>& table,
                                          uint32_t start) const {
  std::vector<uint32_t> sectors;
  // A chain cannot be longer than its table; a longer walk is a loop.
  for (uint32_t sector = start; sector != kEndOfChain && sector < table.size();
       sector = table[sector]) {
    if (sectors.size() == table.size()) break;
    sectors.push_back(sector);
  }
  return sectors;
}

std::vector<CompoundStream::Extent> CompoundFile::sectorExtents(
    const std::vector<uint32_t>& sectors) const {
  std::vector<CompoundStream::Extent> extents;
  const uint64_t sectorSize = uint64_t{1} << sectorShift_;
  for (const uint32_t sector : sectors) {
    appendExtent(extents, (uint64_t{sector} + 1) << sectorShift_, sectorSize);
  }
  return extents;
}

std::vector<uint8_t> CompoundFile::readChain(const std::vector<uint32_t>& sectors,
                                             size_t limit) const {
  const uint64_t size = std::min<uint64_t>(uint64_t{sectors.size()} << sectorShift_, limit);
  return CompoundStream(*file_, sectorExtents(sectors), size).read(0, static_cast<size_t>(size));
}

bool CompoundFile::readTables() {
  const std::vector<uint8_t> header = file_->read(0, kHeaderSize);
  if (header.size() < kHeaderSize || !hasSignature(header)) return false;
  ByteReader in(header);
  in.seek(0x1A);
  const uint16_t major = in.u16();
  const uint16_t byteOrder = in.u16();
  sectorShift_ = in.u16();
  miniSectorShift_ = in.u16();
  in.seek(0x2C);
  const uint32_t fatSectors = in.u32();
  const uint32_t firstDirectory = in.u32();
  in.skip(4);
  miniCutoff_ = in.u32();
  const uint32_t firstMiniFat = in.u32();
  in.skip(4);
  uint32_t difatSector = in.u32();
  const uint32_t difatSectors = in.u32();
  if (byteOrder != 0xFFFE || !(major == 3 || major == 4) ||
      sectorShift_ != (major == 3 ? 9u : 12u) || miniSectorShift_ != 6) {
    return false;
  }
  version4_ = major == 4;
  const uint64_t sectorSize = uint64_t{1} << sectorShift_;
  const uint64_t fileSectors = file_->size() / sectorSize;
  if (fatSectors == 0 || fatSectors > fileSectors) return false;

  // The allocation table's own sectors: 109 in the header, the rest in a chain of sectors
  // that each end with the number of the next.
  std::vector<uint32_t> fatList;
  for (size_t i = 0; i < kHeaderFatSlots && fatList.size() < fatSectors; ++i) {
    const uint32_t sector = in.u32();
    if (sector == kFreeSector) break;
    fatList.push_back(sector);
  }
  const size_t perDifat = sectorSize / 4 - 1;
  for (uint32_t steps = 0; fatList.size() < fatSectors && difatSector < fileSectors &&
                           steps < difatSectors && steps <= fileSectors;
       ++steps) {
    const std::vector<uint8_t> block =
        file_->read((uint64_t{difatSector} + 1) << sectorShift_, sectorSize);
    if (block.size() < sectorSize) return false;
    ByteReader difat(block);
    for (size_t i = 0; i < perDifat && fatList.size() < fatSectors; ++i) {
      fatList.push_back(difat.u32());
    }
    difatSector = difat.u32();
  }
  for (const uint32_t sector : fatList) {
    if (sector >= fileSectors) return false;
  }
  const std::vector<uint8_t> fatBytes = readChain(fatList, fatList.size() << sectorShift_);
  ByteReader fat(fatBytes);
  fat_.resize(fatBytes.size() / 4);
  for (uint32_t& next : fat_) next = fat.u32();

  const std::vector<uint8_t> directory = readChain(chain(fat_, firstDirectory), kMaxTableBytes);
  for (size_t pos = 0; kEntrySize <= directory.size() - pos; pos += kEntrySize) {
    ByteReader entry(std::span<const uint8_t>(directory).subspan(pos, kEntrySize));
    Entry e;
    for (int i = 0; i < 32; ++i) e.name += static_cast<char16_t>(entry.u16());
    const uint16_t nameBytes = entry.u16();
    e.name.resize(std::min<size_t>(nameBytes / 2, 32));
    if (!e.name.empty() && e.name.back() == u'\0') e.name.pop_back();
    e.type = entry.u8();
    entry.seek(116);
    e.start = entry.u32();
    const uint32_t low = entry.u32();
    const uint32_t high = entry.u32();
    // Version 3 files may leave garbage in the high half.
    e.size = version4_ ? (uint64_t{high} << 32 | low) : low;
    entries_.push_back(std::move(e));
  }
  if (entries_.empty() || entries_[0].type != kRootEntry) return false;

  const std::vector<uint8_t> miniFatBytes = readChain(chain(fat_, firstMiniFat), kMaxTableBytes);
  ByteReader miniFat(miniFatBytes);
  miniFat_.resize(miniFatBytes.size() / 4);
  for (uint32_t& next : miniFat_) next = miniFat.u32();
  miniStreamSectors_ = chain(fat_, entries_[0].start);
  return true;
}

std::optional<CompoundStream> CompoundFile::stream(std::string_view name) const {
  auto sameName = [&](const std::u16string& stored) {
    if (stored.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
      char16_t a = stored[i];
      char16_t b = static_cast<unsigned char>(name[i]);
      if (a >= 'A' && a <= 'Z') a += 32;
      if (b >= 'A' && b <= 'Z') b += 32;
      if (a != b) return false;
    }
    return true;
  };
  const auto found = std::find_if(entries_.begin() + 1, entries_.end(), [&](const Entry& e) {
    return e.type == kStreamEntry && sameName(e.name);
  });
  if (found == entries_.end()) return std::nullopt;
  if (found->size >= miniCutoff_) {
    return CompoundStream(*file_, sectorExtents(chain(fat_, found->start)), found->size);
  }
  // Small streams live in 64-byte sectors inside the root entry's stream.
  std::vector<CompoundStream::Extent> extents;
  const uint64_t miniSize = uint64_t{1} << miniSectorShift_;
  const uint64_t sectorMask = (uint64_t{1} << sectorShift_) - 1;
  for (const uint32_t mini : chain(miniFat_, found->start)) {
    const uint64_t inMiniStream = uint64_t{mini} << miniSectorShift_;
    const uint64_t sector = inMiniStream >> sectorShift_;
    if (sector >= miniStreamSectors_.size()) break;
    appendExtent(
        extents,
        ((uint64_t{miniStreamSectors_[sector]} + 1) << sectorShift_) + (inMiniStream & sectorMask),
        miniSize);
  }
  return CompoundStream(*file_, std::move(extents), found->size);
}

}  // namespace vellomar
