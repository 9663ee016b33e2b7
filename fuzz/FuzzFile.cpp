#include "fuzz/FuzzFile.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace vellomar::fuzz {

namespace {

std::string makeScratchPath() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
  // With an extension: the installer adds ".ZIP" to a data file named without one.
  return (folder / ("vellomar-fuzz-" + std::to_string(::getpid()) + ".dat")).string();
}

struct ScratchFile {
  std::string path = makeScratchPath();
  ~ScratchFile() { std::remove(path.c_str()); }
};

ScratchFile& scratch() {
  static ScratchFile file;
  return file;
}

}  // namespace

const std::string& scratchPath() {
  return scratch().path;
}

void writeScratchFile(std::span<const uint8_t> bytes) {
  std::ofstream out(scratchPath(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + scratchPath());
}

}  // namespace vellomar::fuzz
