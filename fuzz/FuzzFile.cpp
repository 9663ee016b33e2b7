#include "fuzz/FuzzFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace vellomar::fuzz {

namespace {

std::string makeScratchPath(std::string_view kind) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
  // With an extension: the installer adds ".ZIP" to a data file named without one.
  return (folder / ("vellomar-fuzz-" + std::to_string(::getpid()) + std::string(kind) + ".dat"))
      .string();
}

// Kept open for the whole run: each input is written in place, with no open, stream or close.
struct ScratchFile {
  std::string path = makeScratchPath("");
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ~ScratchFile() {
    if (fd >= 0) ::close(fd);
    std::remove(path.c_str());
  }
};

ScratchFile& scratch() {
  static ScratchFile file;
  return file;
}

struct SecondScratchName {
  std::string path = makeScratchPath("-second");
  ~SecondScratchName() { std::remove(path.c_str()); }
};

}  // namespace

const std::string& secondScratchPath() {
  static SecondScratchName name;
  return name.path;
}

const std::string& scratchPath() {
  return scratch().path;
}

void writeScratchFile(std::span<const uint8_t> bytes) {
  const ScratchFile& file = scratch();
  if (file.fd < 0 || ::ftruncate(file.fd, static_cast<off_t>(bytes.size())) != 0 ||
      ::pwrite(file.fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("cannot write " + file.path);
  }
}

}  // namespace vellomar::fuzz
