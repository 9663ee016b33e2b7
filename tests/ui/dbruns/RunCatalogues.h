#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SampleCatalogue.h"
#include "tests/support/TempFolder.h"

namespace vellomar::testing {

// The bytes of a closed catalogue with these live disks, one file each (a description edited
// twice on the first), and a deleted disk: a compression has blocks to drop.
inline std::string catalogueBytes(const std::vector<std::string>& disks) {
  TestCatalogue cat;
  for (const std::string& name : disks) {
    TDirCollection& root = cat.newDisk(name);
    cat.setFiles(root, {{name + ".txt", 100, 0x5A214C63}});
    cat.saveDisk();
  }
  cat.newDisk("Gone");
  cat.saveDisk();
  cat.trees = TTreeSlots{};
  TDBase& db = cat.handle;
  ShortString gone("Gone");
  int32_t index = -1;
  EXPECT_TRUE(ApiFindDisk(&db, gone, index) && ApiDeleteDisk(&db, index));
  EXPECT_TRUE(ApiGoToDiskByName(&db, ShortString(disks.front())));
  describeLine(db, disks.front() + ".txt", std::string(2000, 'a'));
  describeLine(db, disks.front() + ".txt", "the text that stays");
  ApiFreeTreeStruct(&db);
  cat.reopen();
  return vellomar::test::contentOf(cat.path());
}

// The live disk names of a closed database file, in key order; empty when it does not open.
inline std::vector<std::string> diskNamesOf(const std::string& path) {
  TDBase* db = nullptr;
  ShortString message;
  if (!ApiOpenDBase(ShortString(path), false, db, message)) return {};
  std::vector<std::string> names;
  for (int32_t i = 0; i < ApiGetKeyCount(db); ++i) {
    ShortString name;
    uint16_t flags = 0;
    ApiGetKey(db, name, flags, i);
    names.push_back(name.str());
  }
  ApiCloseDBase(db, false);
  return names;
}

}  // namespace vellomar::testing
