// The key table and data area of a database whose header and settings are sound: the input is
// the key table as written short (head and used entries) followed by the data area, so every
// mutation lands on something the readers parse.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "fuzz/CatalogueWalk.h"
#include "fuzz/FuzzFile.h"

namespace vellomar::fuzz {
namespace {

// Where the number of keys lies in the key table head.
constexpr size_t kKeyCountOffset = 8;

// The count the head gives is cut to the entries the input holds: a full table of zero keys
// costs a sort of 10000 names per run and is the whole-file target's to try.
std::vector<uint8_t> fileOf(std::span<const uint8_t> input) {
  static const std::vector<uint8_t> front = [] {
    TLocalOptions options;
    SetDefaultLocalOptions(options);
    Scrambler scrambler;
    std::vector<uint8_t> bytes = newDBaseFileBytes(THeaderRecord{}, options, scrambler);
    bytes.resize(kKeyFieldOffset);
    return bytes;
  }();
  ByteReader head(input);
  const size_t held =
      input.size() < kKeyFieldHeadSize ? 0 : (input.size() - kKeyFieldHeadSize) / kKeyEntrySize;
  const size_t keys = std::min(readKeyFieldHead(head).Keys.size(), held);
  const size_t keyBytes = std::min(input.size(), kKeyFieldHeadSize + kKeyEntrySize * keys);
  ByteWriter file;
  file.bytes(front);
  file.bytes(input.first(keyBytes));
  if (keyBytes >= kKeyFieldHeadSize)
    file.patchU32(kKeyFieldOffset + kKeyCountOffset, static_cast<uint32_t>(keys));
  file.zeros(kDataAreaOffset - file.size());
  file.bytes(input.subspan(keyBytes));
  return file.take();
}

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar::fuzz;
  writeScratchFile(fileOf(std::span<const uint8_t>(data, size)));
  exerciseCatalogue(scratchPath());
  return 0;
}
