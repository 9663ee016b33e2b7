#pragma once

#include <cstdint>
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

}  // namespace vellomar::test
