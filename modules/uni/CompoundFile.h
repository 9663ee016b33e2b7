#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "modules/filterkit/InputFile.h"

namespace vellomar {

// One stream of a compound file, read by position through the sectors that hold it.
class CompoundStream {
 public:
  // Where a run of the stream's bytes lies in the file.
  struct Extent {
    uint64_t fileOffset;
    uint64_t length;
  };

  CompoundStream(const InputFile& file, std::vector<Extent> extents, uint64_t size);

  uint64_t size() const { return size_; }
  // At most n bytes from offset; fewer at the stream's end or where the file is cut short.
  std::vector<uint8_t> read(uint64_t offset, size_t n) const;

 private:
  const InputFile* file_;
  std::vector<Extent> extents_;
  std::vector<uint64_t> starts_;  // stream offset of each extent
  uint64_t size_;
};

// The storage layout of an OLE compound file (the container of Word 6 and later documents):
// sector allocation tables and the directory. Every sector number, chain and size is checked
// against the file, and chains that loop end where they would repeat.
class CompoundFile {
 public:
  static constexpr size_t kSignatureSize = 8;
  static bool hasSignature(std::span<const uint8_t> start);

  // Nothing when the file is not a compound file or its header or tables are damaged. The
  // file must outlive the object and the streams it gives.
  static std::optional<CompoundFile> open(const InputFile& file);

  // The stream of that name (compared ignoring ASCII case) anywhere in the directory.
  std::optional<CompoundStream> stream(std::string_view name) const;

 private:
  struct Entry {
    std::u16string name;
    uint8_t type;
    uint32_t start;
    uint64_t size;
  };

  explicit CompoundFile(const InputFile& file) : file_(&file) {}
  bool readTables();
  std::vector<uint32_t> chain(const std::vector<uint32_t>& table, uint32_t start) const;
  std::vector<CompoundStream::Extent> sectorExtents(const std::vector<uint32_t>& sectors) const;
  std::vector<uint8_t> readChain(const std::vector<uint32_t>& sectors, size_t limit) const;

  const InputFile* file_;
  uint32_t sectorShift_ = 9;
  uint32_t miniSectorShift_ = 6;
  uint32_t miniCutoff_ = 4096;
  bool version4_ = false;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  std::vector<uint32_t> miniStreamSectors_;
  std::vector<Entry> entries_;
};

}  // namespace vellomar
