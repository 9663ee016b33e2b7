#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "abi/FilterAbi.h"
#include "platform/PLibrary.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/TempFolder.h"

namespace vellomar::test {

// Where the build puts the broken filter modules.
inline std::string filterDoubleFolder() {
  return buildFolder() + "testdoubles/filters/";
}

// A filter module loaded from a file, with its three entry points.
struct FilterModule {
  explicit FilterModule(const std::string& path)
      : library(SharedLibrary::load(path)),
        open(reinterpret_cast<FilterOpenTransferProc>(library.symbol("OpenTransfer"))),
        getOneBlock(reinterpret_cast<FilterGetOneBlockProc>(library.symbol("GetOneBlock"))),
        close(reinterpret_cast<FilterCloseTransferProc>(library.symbol("CloseTransfer"))) {}

  // One of the program's modules ("html", "rtf", "mp3tag", "uni"), loaded once.
  static const FilterModule& named(const std::string& name) {
    static std::map<std::string, FilterModule> loaded;
    auto found = loaded.find(name);
    if (found == loaded.end()) {
      found = loaded.try_emplace(name, standInFolder() + name + ".k32").first;
    }
    return found->second;
  }

  bool complete() const { return library.loaded() && open && getOneBlock && close; }

  // The whole text of the file read in blocks of blockSize bytes as the program reads it;
  // nothing when the module does not open the file. Every block is checked against the
  // interface's promises.
  std::optional<std::string> text(const std::string& path,
                                  int32_t blockSize = kFilterMaxBlock) const {
    if (!complete()) {
      ADD_FAILURE() << "module not loaded";
      return std::nullopt;
    }
    int32_t handle = -1;
    if (open(path.c_str(), &handle) != kFilterOpened) return std::nullopt;
    std::string text;
    std::vector<uint8_t> buffer(static_cast<size_t>(blockSize) + 1, 0xEE);
    for (int blocks = 0; blocks < 1'000'000; ++blocks) {
      int32_t delivered = -1;
      const int32_t result = getOneBlock(handle, buffer.data(), blockSize, &delivered);
      EXPECT_GE(delivered, 0);
      EXPECT_LE(delivered, blockSize);
      EXPECT_EQ(buffer[static_cast<size_t>(blockSize)], 0xEE) << "wrote past the block";
      if (delivered < 0 || delivered > blockSize) break;
      text.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(delivered));
      if (result != kFilterMoreMayFollow || delivered == 0) break;
    }
    close(handle);
    return text;
  }

  SharedLibrary library;
  FilterOpenTransferProc open;
  FilterGetOneBlockProc getOneBlock;
  FilterCloseTransferProc close;
};

// A file's content and the text a module should make of it; nothing when it should refuse.
struct FilterCase {
  const char* what;
  std::string content;
  std::optional<std::string> text;
};

// Writes each case's content to a file named fileName and checks the module's text of it.
inline void expectTexts(const FilterModule& module, const std::string& fileName,
                        std::span<const FilterCase> cases) {
  ASSERT_TRUE(module.complete());
  TempFolder folder;
  for (const FilterCase& c : cases) {
    EXPECT_EQ(module.text(folder.file(fileName, c.content)), c.text) << c.what;
  }
}

}  // namespace vellomar::test
