#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApi.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/FixtureNames.h"
#include "tests/support/SearchCatalogue.h"
#include "tests/support/SearchFixtures.h"

namespace vellomar::testing {

// Three disks of nested folders, about 1 500 files in all, with descriptions on a quarter of
// the files (words and phrases the searches look for among them), sizes beyond 2 GiB and dates
// from 1985 to 2060: the shapes whose order every search and sort must keep.
inline void fillGeneratedCatalogue(TestCatalogue& c) {
  static constexpr std::array<std::string_view, 9> kExtensions = {
      ".txt", ".TXT", ".jpg", ".doc", "", ".c", ".tar", ".Zip", ".mp3"};
  static constexpr std::array<std::string_view, 5> kDescriptions = {
      "A lighthouse\r\non the coast", "summer holiday pictures", "Report of the year",
      "  spaced   out\ttext  ", "Lighthouse keeper's log"};
  FixtureRandom random(39);
  for (const std::string_view disk : {"Alpha", "beta", "Gamma"}) {
    TDirCollection& root = c.newDisk(disk);
    std::vector<TDirCollection*> folders = {&root};
    for (int i = 0; i < 8; ++i) {
      TDirCollection& parent = *folders[random.below(folders.size())];
      folders.push_back(
          &TestCatalogue::addFolder(parent, generatedName(random) + "_" + std::to_string(i)));
    }
    for (TDirCollection* folder : folders) {
      std::vector<FileSpec> files;
      const size_t count = 20 + random.below(80);
      for (size_t i = 0; i < count; ++i) {
        FileSpec f;
        f.Name = generatedName(random) + std::string(kExtensions[random.below(kExtensions.size())]);
        f.Size = random.next() % 5'000'000'000ULL;
        f.DateTime = static_cast<int32_t>(dosDateTime(
            1985 + static_cast<int>(random.below(75)), 1 + static_cast<int>(random.below(12)),
            1 + static_cast<int>(random.below(28)), static_cast<int>(random.below(24))));
        if (random.below(4) == 0) {
          f.DescOffset = addDescription(c, kDescriptions[random.below(kDescriptions.size())]);
        }
        files.push_back(f);
      }
      c.setFiles(*folder, files);
    }
    c.saveDisk();
  }
}

}  // namespace vellomar::testing
