#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescriptions.h"
#include "engine/UEngineMain.h"
#include "foundation/UExceptions.h"
#include "platform/PPaths.h"
#include "tests/engine/DescImportFixtures.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WordFixtures.h"

namespace vellomar {
namespace {

using test::CallbackRecorder;
using test::TempFolder;

struct StoredDesc {
  int32_t Offset = 0;
  uint16_t Attr = 0;
  std::string Text;
};

// A folder scanned as a disk into a database, as often as a test asks.
class ScanDescriptions : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> system = toSystemPath(disk.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    path = *system;
    ASSERT_TRUE(CreateDBaseFile(db, dbFolder.at("scan.kvd")));
    OpenDBaseFile(db, dbFolder.at("scan.kvd"), false);
    db.LocalOptions.SimulateDiskInfo = false;
  }

  std::unique_ptr<TTreeStruct> scan(TTreeStruct* previous = nullptr) {
    auto tree = TreeStructInit(db, false);
    EXPECT_TRUE(ScanDiskToTree(*tree, previous, db.LocalOptions, path, "Disk", ""));
    return tree;
  }

  // The descriptions of the root's files by name.
  std::map<std::string, StoredDesc> descsOf(TTreeStruct& tree) {
    tree.CurDir = tree.Root.get();
    LoadFileCol(tree, 2);
    std::map<std::string, StoredDesc> descs;
    for (const TOneFile* line : tree.FileCol->Items()) {
      StoredDesc& desc = descs[line->Name.str() + std::string(line->Data.Ext.view())];
      desc.Offset = line->Data.DescOffset;
      desc.Attr = line->Data.Attr;
      if (desc.Offset != 0) {
        EXPECT_TRUE(ReadFullDesc(db, desc.Offset, desc.Text));
      }
    }
    return descs;
  }

  TempFolder disk{"descdisk"};
  TempFolder dbFolder{"descdb"};
  std::string path;
  TDBase db;
};

std::string asText(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::string id3v1Field(const std::string& text, size_t length) {
  return (text + std::string(length, '\0')).substr(0, length);
}

TEST_F(ScanDescriptions, TheDefaultSettingsStoreTheTextOfEveryKindOfFile) {
  const std::string mp3 = std::string("\xFF\xFB\x90\x00") + std::string(400, '\x55') + "TAG" +
                          id3v1Field("Song", 30) + id3v1Field("Band", 30) +
                          id3v1Field("Album", 30) + "1999" + id3v1Field("Nice", 30) + "\x11";
  struct Case {
    const char* name;
    std::string content;
    std::string text;
  };
  const Case cases[] = {
      {"ReadMe.TXT", "Plain\ttext\r\n", "Plain text\r\n"},
      {"page.html", "<html><title>Report</title><body><p>Hello</p></body></html>",
       "Report\r\n\r\nHello"},
      {"long.htm", "<p>" + std::string(600, 'w') + "</p>", std::string(500, 'w')},
      {"note.rtf", R"({\rtf1\ansi Hello {\b bold}\b0  world\par Next})",
       "Hello bold world\r\nNext"},
      {"song.mp3", mp3,
       "Title: Song\r\nArtist: Band\r\nAlbum: Album\r\nYear: 1999\r\nComment: Nice"},
      {"letter.doc", asText(test::word97Document({{"Hello world\rSecond paragraph\r"}})),
       "Hello world\r\nSecond paragraph"},
      {"memo.wri", asText(test::writeDocument("First line\r\nLast line\r\n")),
       "First line\r\nLast line"},
      {"other.bin", "no mask", ""},
  };
  for (const Case& c : cases) disk.file(c.name, c.content);
  const std::map<std::string, StoredDesc> descs = descsOf(*scan());
  for (const Case& c : cases) {
    ASSERT_TRUE(descs.contains(c.name)) << c.name;
    EXPECT_EQ(descs.at(c.name).Text, c.text) << c.name;
  }
  EXPECT_EQ(descs.at("other.bin").Offset, 0);
}

TEST_F(ScanDescriptions, ARescanCarriesDescriptionsOverUnlessAlwaysRecreated) {
  disk.file("a.txt", "imported text");
  disk.file("b.txt", "imported too");
  const std::unique_ptr<TTreeStruct> first = scan();
  const std::map<std::string, StoredDesc> before = descsOf(*first);
  int32_t entry = first->FileCol->ItemAt(1)->EntryOffset;
  ASSERT_TRUE(WriteDesc(db, entry, "written by the user"));

  const uint32_t size = db.Stream.GetSize();
  const std::unique_ptr<TTreeStruct> second = scan(first.get());
  EXPECT_EQ(db.Stream.GetSize(), size) << "no new description, the file list shared";
  std::map<std::string, StoredDesc> after = descsOf(*second);
  EXPECT_EQ(after["a.txt"].Offset, before.at("a.txt").Offset);
  EXPECT_EQ(after["b.txt"].Text, "written by the user");

  db.LocalOptions.AlwaysCreateDesc = true;
  after = descsOf(*scan(second.get()));
  EXPECT_NE(after["a.txt"].Offset, before.at("a.txt").Offset) << "imported again";
  EXPECT_EQ(after["a.txt"].Text, "imported text");
  EXPECT_EQ(after["b.txt"].Text, "written by the user");
  EXPECT_EQ(after["b.txt"].Attr & kAttrUserDesc, kAttrUserDesc);
}

TEST_F(ScanDescriptions, AModuleThatCannotBeLoadedEndsTheScanAfterReleasingTheOthers) {
  test::ProgramFolderAt folder(test::filterDoubleFolder());
  db.LocalOptions.DescFileTable = "*.a|500|fewer|*.b|500|absent|*.c|500|refuse|";
  disk.file("x.a", "text");
  CallbackRecorder recorder;
  auto tree = TreeStructInit(db, false);
  try {
    ScanDiskToTree(*tree, nullptr, db.LocalOptions, path, "Disk", "");
    ADD_FAILURE() << "the scan went on";
  } catch (const EKstvNormalException& e) {
    EXPECT_STREQ(e.what(), "The library absent.k32 cannot be open.");
  }
  const std::vector<std::string>& messages = CallbackRecorder::messages();
  EXPECT_NE(std::find(messages.begin(), messages.end(), "Releasing library fewer.k32"),
            messages.end());
  for (const TFilterModule* module : tree->FilterModules.Items()) {
    EXPECT_EQ(module->Handle, nullptr) << module->Name.str();
  }
  ASSERT_NE(tree->Root, nullptr);
  EXPECT_EQ(tree->Root->Count(), 0);
}

}  // namespace
}  // namespace vellomar
