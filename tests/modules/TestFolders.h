#pragma once

#include <elf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/PLibrary.h"
#include "tests/support/ArchiveFixtures.h"
#include "tests/support/TempFolder.h"

namespace vellomar::test {

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

inline std::vector<uint8_t> fileBytes(const std::string& path) {
  const std::string content = contentOf(path);
  return {content.begin(), content.end()};
}

// Copies a built module to target, cut to half of the bytes its segments take in the file: the
// debug sections behind them, which the loader never maps, may be longer than the rest.
inline void copyModuleCutToHalf(const std::string& module, const std::string& target) {
  const std::vector<uint8_t> bytes = fileBytes(standInFolder() + module);
  Elf64_Ehdr header;
  std::memcpy(&header, bytes.data(), sizeof header);
  uint64_t segmentsEnd = 0;
  for (size_t i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment;
    std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    segmentsEnd = std::max<uint64_t>(segmentsEnd, segment.p_offset + segment.p_filesz);
  }
  std::filesystem::copy_file(standInFolder() + module, target);
  std::filesystem::resize_file(target, segmentsEnd / 2);
}

}  // namespace vellomar::test
