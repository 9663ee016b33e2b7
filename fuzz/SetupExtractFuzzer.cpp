// The installer's data file, extracted whole into a scratch folder that is emptied each run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/UExceptions.h"
#include "fuzz/FuzzFile.h"
#include "setup/Extract.h"

namespace vellomar::fuzz {
namespace {

constexpr uint8_t kLocalHeaderSignature[] = {'P', 'K', 3, 4};
constexpr size_t kUncompressedSizeOffset = 22;
constexpr uint32_t kMaxEntrySize = 1 << 16;

// A declared size is written out in full however little data there is, so each local header's
// size is cut to keep a run small.
std::vector<uint8_t> withSmallEntries(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  for (size_t i = 0; i + kUncompressedSizeOffset + 4 <= bytes.size(); ++i) {
    if (!std::equal(std::begin(kLocalHeaderSignature), std::end(kLocalHeaderSignature),
                    bytes.begin() + static_cast<std::ptrdiff_t>(i))) {
      continue;
    }
    uint8_t* field = &bytes[i + kUncompressedSizeOffset];
    const uint32_t declared = field[0] | field[1] << 8 | field[2] << 16 | uint32_t{field[3]} << 24;
    const uint32_t kept = declared % (kMaxEntrySize + 1);
    for (int b = 0; b < 4; ++b) field[b] = static_cast<uint8_t>(kept >> (8 * b));
  }
  return bytes;
}

class SilentProgress : public setup::InstallProgress {
 public:
  void setProgressLabel(const std::string&) override {}
  void setGauge(int percent) override {
    if (percent < 0 || percent > 100) __builtin_trap();
  }
  bool abortRequested() override { return false; }
  setup::InstallAnswer ask(const std::string&, const std::string&) override {
    return setup::InstallAnswer::kYes;
  }
};

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  fuzz::writeScratchFile(fuzz::withSmallEntries(data, size));
  const std::string target = fuzz::scratchPath() + ".out";
  std::filesystem::remove_all(target);
  std::filesystem::create_directory(target);
  std::vector<std::string> installed;
  fuzz::SilentProgress progress;
  try {
    setup::ExtractFiles(fuzz::scratchPath(), target, "*.* EXE/*.* JPG/*.*", installed, progress);
  } catch (const EKstvException&) {
  }
  std::filesystem::remove_all(target);
  return 0;
}
