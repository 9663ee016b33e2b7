// The installer's data file, extracted whole into a scratch folder that is emptied each run. The
// folders of the installed names are made, of those the masks name only "exe" (names install in
// lower case), so entries are both installed into a folder and refused for a missing one. The
// process may not write files past 32 MiB: no data file the fuzzer makes (at most 4 KiB, see
// scripts/fuzz.sh) holds that much, so a longer output is a size taken from the file and trusted,
// reported as "file-size-limit-exceeded".
#include <sys/resource.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "foundation/UExceptions.h"
#include "fuzz/FuzzFile.h"
#include "setup/Extract.h"

namespace vellomar::fuzz {
namespace {

constexpr rlim_t kMaxOutputFileSize = 32 << 20;

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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const rlimit limit{vellomar::fuzz::kMaxOutputFileSize, vellomar::fuzz::kMaxOutputFileSize};
  return setrlimit(RLIMIT_FSIZE, &limit);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  fuzz::writeScratchFile(std::span<const uint8_t>(data, size));
  const std::string target = fuzz::scratchPath() + ".out";
  std::filesystem::remove_all(target);
  std::filesystem::create_directory(target);
  std::filesystem::create_directory(target + "/exe");
  std::filesystem::create_directory(target + "/Export");
  std::vector<std::string> installed;
  fuzz::SilentProgress progress;
  try {
    setup::ExtractFiles(fuzz::scratchPath(), target, "*.* EXE/*.* JPG/*.*", installed, progress);
  } catch (const EKstvException&) {
  }
  std::filesystem::remove_all(target);
  return 0;
}
