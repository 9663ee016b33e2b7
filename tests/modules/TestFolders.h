#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/PLibrary.h"

namespace vellomar::testing {

// The build folder, found from the test program, which lies in its "tests" folder.
inline const std::string& buildFolder() {
  static const std::string folder = [] {
    setProgramFolder({});
    return programFolder() + "../";
  }();
  return folder;
}

// Where the build puts the libraries the program loads.
inline std::string standInFolder() {
  return buildFolder() + "bin/";
}
// Libraries that lack one entry point each.
inline std::string partialLibraryFolder() {
  return buildFolder() + "testdoubles/partial/";
}

inline std::string libsFixture(const std::string& name) {
  return std::string(VELLOMAR_FIXTURES) + "/libs/" + name;
}

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vellomar-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Ends with "/".
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

}  // namespace vellomar::testing
