// The key table and data area of a database whose header and settings are sound: the input is
// the key table as written short (head and used entries) followed by the data area, so every
// mutation lands on something the readers parse.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "fuzz/CatalogueWalk.h"

namespace vellomar::fuzz {
namespace {

// The count the head gives is cut to the entries the input holds: a full table of zero keys
// costs a sort of 10000 names per run and is the whole-file target's to try.
void fileOf(std::span<const uint8_t> input, std::vector<uint8_t>& file) {
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
  file.assign(front.begin(), front.end());
  file.insert(file.end(), input.begin(), input.begin() + static_cast<std::ptrdiff_t>(keyBytes));
  if (keyBytes >= kKeyFieldHeadSize) setKeyCount(file, keys);
  file.resize(kDataAreaOffset);
  file.insert(file.end(), input.begin() + static_cast<std::ptrdiff_t>(keyBytes), input.end());
}

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar::fuzz;
  // Kept from input to input, so its memory is not taken afresh each time.
  static std::vector<uint8_t> file;
  fileOf(std::span<const uint8_t>(data, size), file);
  exerciseCatalogue(file);
  return 0;
}
