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
  const size_t keyBytes = std::min(
      input.size(), kKeyFieldHeadSize + kKeyEntrySize * readKeyFieldHead(head).Keys.size());
  std::vector<uint8_t> file(front);
  file.insert(file.end(), input.begin(), input.begin() + static_cast<std::ptrdiff_t>(keyBytes));
  file.resize(kDataAreaOffset);
  file.insert(file.end(), input.begin() + static_cast<std::ptrdiff_t>(keyBytes), input.end());
  return file;
}

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar::fuzz;
  writeScratchFile(fileOf(std::span<const uint8_t>(data, size)));
  exerciseCatalogue(scratchPath());
  return 0;
}
