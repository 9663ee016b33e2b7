#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "platform/PPaths.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/TempFolder.h"

namespace vellomar::testing {

// A small real disk to scan: nested folders, a few dozen files.
inline void writeDiskFolder(const vellomar::test::TempFolder& folder, const std::string& name,
                            int files) {
  folder.file(name + "/docs/a.txt", "alpha text");
  folder.file(name + "/docs/deep/b.bin", std::string(300, 'b'));
  folder.file(name + "/readme.doc", "read me");
  for (int i = 0; i < files; ++i) {
    folder.file(name + "/list/f" + std::to_string(i) + ".txt", std::string(size_t(i), 'x'));
  }
}

// The system path of a folder of the test's own, none when no drive holds it.
inline std::optional<ShortString> scanPath(const vellomar::test::TempFolder& folder,
                                           const std::string& name) {
  const std::optional<std::string> system = toSystemPath(folder.at(name));
  if (!system) return std::nullopt;
  return ShortString(*system);
}

inline bool scanAndSave(TDBase& db, const ShortString& path, const std::string& name) {
  const bool saved = ApiScanDisk(&db, path.view(), ShortString(name), "LABEL") && ApiSaveDisk(&db);
  ApiFreeTreeStruct(&db);
  return saved;
}

// Gives the named file of the current folder a description; the folder's list is reloaded.
inline void describeLine(TDBase& db, const std::string& name, const std::string& text) {
  TFileCollection* files = ApiGetFileCol(&db);
  for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
    TOneFile line;
    ApiFileColAt(files, i, line);
    if (line.Name.str() + std::string(line.Data.Ext.view()) != name) continue;
    int32_t entry = line.EntryOffset;
    ASSERT_TRUE(ApiSetDesc(&db, entry, text));
    ApiUpdateFileCol(&db);
    return;
  }
  ADD_FAILURE() << name << " is not listed";
}

// The bytes of a catalogue with the shapes a damaged or interrupted file can hit: two scanned
// disks with nested folders and a long file list, descriptions on files and folders (one
// edited twice, one longer than a short description), a deleted disk, and a disk holding an
// archive shown as a folder with its own folder and files. The last block is a description
// that a file points at, so every cut of the data area loses something referenced. Empty when
// the temporary folder lies on no drive.
inline std::vector<uint8_t> sampleCatalogueBytes() {
  vellomar::test::TempFolder disks{"sample"};
  writeDiskFolder(disks, "alpha", 3);
  writeDiskFolder(disks, "beta", 40);
  const std::optional<ShortString> alpha = scanPath(disks, "alpha");
  const std::optional<ShortString> beta = scanPath(disks, "beta");
  if (!alpha || !beta) return {};

  TestCatalogue cat;
  TDBase& db = cat.handle;
  db.LocalOptions.SimulateDiskInfo = false;
  EXPECT_TRUE(scanAndSave(db, *alpha, "Alpha"));
  EXPECT_TRUE(scanAndSave(db, *beta, "Beta"));
  EXPECT_TRUE(scanAndSave(db, *alpha, "Gone"));
  ShortString gone("Gone");
  int32_t index = -1;
  EXPECT_TRUE(ApiFindDisk(&db, gone, index) && ApiDeleteDisk(&db, index));

  EXPECT_TRUE(ApiGoToDiskByName(&db, "Alpha"));
  describeLine(db, "readme.doc", "first words");
  describeLine(db, "readme.doc", "the words that stay");
  describeLine(db, "docs", "the folder of documents");
  EXPECT_TRUE(ApiGoToDiskByName(&db, "Beta"));
  EXPECT_TRUE(ApiGoToPath(&db, "\\list"));
  describeLine(db, "f7.txt", std::string(300, 'd'));
  ApiFreeTreeStruct(&db);

  TDirCollection& root = cat.newDisk("Gamma");
  cat.setFiles(root, {{"top.txt", 12, 0x21000000}});
  TDirCollection& archive = TestCatalogue::addFolder(root, "pack.zip", kAttrArchiveFolder, 5000);
  cat.setFiles(archive, {{"in1.txt", 100, 0x22000000}, {"in2.dat", 200}});
  TDirCollection& inner = TestCatalogue::addFolder(archive, "inner");
  cat.setFiles(inner, {{"deep.txt", 7}});
  cat.saveDisk();
  cat.trees = TTreeSlots{};
  EXPECT_TRUE(ApiGoToDiskByName(&db, "Gamma"));
  EXPECT_TRUE(ApiGoToPath(&db, "\\pack.zip"));
  describeLine(db, "in1.txt", "inside the archive");
  ApiFreeTreeStruct(&db);

  cat.reopen();
  const std::string bytes = vellomar::test::contentOf(cat.path());
  return {bytes.begin(), bytes.end()};
}

}  // namespace vellomar::testing
